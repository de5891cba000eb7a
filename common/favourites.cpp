#include "common/favourites.h"

#include <QCollator>

#include <algorithm>

namespace {

QCollator& Collation() {
  static QCollator c = [] {
    QCollator k;
    k.setCaseSensitivity(Qt::CaseInsensitive);
    return k;
  }();
  return c;
}

}  // namespace

void TFavourites::SetNames(const QStringList& names) {
  names_ = names;
  std::stable_sort(names_.begin(), names_.end(),
                   [](const QString& a, const QString& b) { return Collation().compare(a, b) < 0; });
  Notify();
}

bool TFavourites::Add(const QString& name) {
  if (names_.contains(name, Qt::CaseSensitive)) return false;
  const auto at = std::upper_bound(names_.begin(), names_.end(), name,
                                   [](const QString& a, const QString& b) { return Collation().compare(a, b) < 0; });
  names_.insert(at, name);
  Notify();
  return true;
}

bool TFavourites::RemoveAt(int index) {
  if (index < 0 || index >= names_.size()) return false;
  names_.removeAt(index);
  Notify();
  return true;
}
