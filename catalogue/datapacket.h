// A catalogue file's content: the field definitions and rows of one table.
#pragma once

#include <vector>

#include "catalogue/fielddef.h"

struct TDataPacket {
  TFieldList Fields;
  std::vector<TRow> Rows;
};
