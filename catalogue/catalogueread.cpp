#include "catalogue/catalogueread.h"

TTableResult ReadCatalogueFile(TCatalogueTable& working, const QString& path, const TReadProgress& progress) {
  TCatalogueTable scratch(QStringLiteral("scratch"));
  if (TTableResult r = scratch.LoadFromFile(path); !r) return r;
  const int m = scratch.RecordCount();
  working.SuspendDisplay();
  TTableResult result = TTableResult::Success();
  int n = 1;
  for (scratch.First(); !scratch.Eof(); scratch.Next(), ++n) {
    if (progress) progress(n, m);
    result = working.Append();
    if (result) result = working.CopyCatalogueRow(scratch);
    if (result) result = working.Post();
    if (!result) {
      working.Cancel();
      break;
    }
    if (n == m) break;  // Next() on the last row only sets Eof
  }
  working.ResumeDisplay();
  return result;
}
