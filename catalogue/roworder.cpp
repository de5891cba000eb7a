#include "catalogue/roworder.h"

#include <algorithm>
#include <numeric>

#include "catalogue/textcompare.h"

namespace {

// One row in the sort: eight UTF-16 units of its first key packed into 128 bits, so that
// nearly every comparison stays inside this array. Rows whose packed units tie are sorted
// again on the next eight units (a most-significant-digit radix sort with 128-bit digits).
struct TEntry {
  quint64 High = 0;
  quint64 Low = 0;
  int Row = 0;
};

// Units are lower-cased and stored + 1, so 0 marks the end of the text and a shorter text
// sorts before a longer one with the same start. 0xFFFF saturates (it cannot be stored
// + 1); the final comparison settles such ties.
// `lowered`: the text is already in lower case.
void PackUnits(const char16_t* s, qsizetype n, bool lowered, qsizetype offset, TEntry& e) {
  auto unit = [&](qsizetype i) -> quint64 {
    if (i >= n) return 0;
    const quint64 u = quint64(lowered ? s[i] : FoldChar(s[i], TFold::Lower)) + 1;
    return u > 0xFFFF ? 0xFFFF : u;
  };
  quint64 high = 0, low = 0;
  for (qsizetype i = 0; i < 4; ++i) high = (high << 16) | unit(offset + i);
  for (qsizetype i = 4; i < 8; ++i) low = (low << 16) | unit(offset + i);
  e.High = high;
  e.Low = low;
}

void PackText(const QString& text, qsizetype offset, TEntry& e) {
  PackUnits(reinterpret_cast<const char16_t*>(text.constData()), text.size(), false, offset, e);
}

int CompareCells(const TCell& a, const TCell& b, const TSortKey& key) {
  if (!a.HasValue || !b.HasValue) return int(a.HasValue) - int(b.HasValue);
  if (key.Type == TFieldType::Integer) return a.Int < b.Int ? -1 : (a.Int > b.Int ? 1 : 0);
  if (a.Text.constData() == b.Text.constData() && a.Text.size() == b.Text.size()) return 0;  // shared text
  return CollateText(a.Text, b.Text, key.IgnoreCase);
}

class TSorter {
 public:
  TSorter(const std::vector<TRow>& rows, const std::vector<TSortKey>& keys, const TColumnText* lowered)
      : rows_(rows), keys_(keys), lowered_(lowered) {}

  void Run(std::vector<TEntry>& entries) {
    const TSortKey& first = keys_.front();
    if (lowered_) {
      // A missing text is laid out empty, which packs as 0 too: no cell is read.
      for (TEntry& e : entries) Pack(e.Row, 0, e);
      return SortPacked(entries.begin(), entries.end(), 0);
    }
    for (TEntry& e : entries) {
      const TCell& c = Cell(e.Row, 0);
      if (!c.HasValue) continue;  // 0: before every value
      if (first.Type == TFieldType::Integer) e.High = quint64(qint64(c.Int) - qint64(INT32_MIN)) + 1;
      else Pack(e.Row, 0, e);
    }
    SortPacked(entries.begin(), entries.end(), 0);
  }

 private:
  using It = std::vector<TEntry>::iterator;

  const TCell& Cell(int row, size_t key) const { return rows_[size_t(row)][size_t(keys_[key].Column)]; }

  // Packs the first key's text of `row` from `offset`.
  void Pack(int row, qsizetype offset, TEntry& e) const {
    if (lowered_) {
      const qsizetype start = lowered_->Starts[size_t(row)];
      const char16_t* units = reinterpret_cast<const char16_t*>(lowered_->Text.constData()) + start;
      PackUnits(units, lowered_->Starts[size_t(row) + 1] - start, true, offset, e);
    } else {
      PackText(Cell(row, 0).Text, offset, e);
    }
  }

  // Sorts [b, e) on the packed digit, then each run of equal digits further.
  void SortPacked(It b, It e, qsizetype offset) {
    const bool desc = keys_.front().Descending;
    std::sort(b, e, [desc](const TEntry& x, const TEntry& y) {
      if (x.High != y.High || x.Low != y.Low) {
        const bool less = x.High != y.High ? x.High < y.High : x.Low < y.Low;
        return desc ? !less : less;
      }
      return x.Row < y.Row;
    });
    for (It run = b; run != e;) {
      It end = run + 1;
      while (end != e && end->High == run->High && end->Low == run->Low) ++end;
      if (end - run > 1) {
        const bool textGoesOn = keys_.front().Type == TFieldType::String && run->High != 0 && (run->Low & 0xFFFF) != 0;
        if (textGoesOn) {
          for (It i = run; i != end; ++i) Pack(i->Row, offset + 8, *i);
          SortPacked(run, end, offset + 8);
        } else {
          SortTies(run, end);
        }
      }
      run = end;
    }
  }

  // Rows equal on the first key ignoring case: exact text (unless the index ignores
  // case), then the other keys, then insertion order.
  void SortTies(It b, It e) {
    const TSortKey& first = keys_.front();
    const bool exact = first.Type == TFieldType::String && !first.IgnoreCase;
    if (!exact && keys_.size() == 1) return;  // already in row order
    if (exact && keys_.size() == 1) {
      // Most runs hold one text many times (countries, genres): already in row order.
      const TCell& head = Cell(b->Row, 0);
      const bool same = std::all_of(b + 1, e, [&](const TEntry& x) {
        const TCell& c = Cell(x.Row, 0);
        return c.HasValue == head.HasValue && (!c.HasValue || c.Text == head.Text);
      });
      if (same) return;
    }
    std::sort(b, e, [&](const TEntry& x, const TEntry& y) {
      if (exact) {
        const TCell& a = Cell(x.Row, 0);
        const TCell& c = Cell(y.Row, 0);
        if (a.HasValue && c.HasValue) {
          const int r = CompareText(a.Text, TFold::None, c.Text, TFold::None);
          if (r != 0) return first.Descending ? r > 0 : r < 0;
        }
      }
      for (size_t k = 1; k < keys_.size(); ++k) {
        const int r = CompareCells(Cell(x.Row, k), Cell(y.Row, k), keys_[k]);
        if (r != 0) return keys_[k].Descending ? r > 0 : r < 0;
      }
      return x.Row < y.Row;
    });
  }

  const std::vector<TRow>& rows_;
  const std::vector<TSortKey>& keys_;
  const TColumnText* lowered_;
};

}  // namespace

void SortRows(const std::vector<TRow>& rows, const std::vector<TSortKey>& keys, std::vector<int>& order,
              const TColumnText* lowered) {
  order.resize(rows.size());
  std::iota(order.begin(), order.end(), 0);
  if (keys.empty()) return;
  std::vector<TEntry> entries(rows.size());
  for (size_t r = 0; r < rows.size(); ++r) entries[r].Row = int(r);
  if (lowered && (keys.front().Type != TFieldType::String || lowered->Starts.size() != rows.size() + 1))
    lowered = nullptr;
  TSorter(rows, keys, lowered).Run(entries);
  for (size_t i = 0; i < entries.size(); ++i) order[i] = entries[i].Row;
}

bool ReverseSortedRows(const std::vector<TRow>& rows, const TSortKey& key, const std::vector<int>& sorted,
                       std::vector<int>& order) {
  if (key.Type == TFieldType::String && key.IgnoreCase) return false;
  // Rows with equal values keep insertion order in both directions: reverse the whole
  // order, then each run of equal values back.
  const size_t col = size_t(key.Column);
  auto same = [&](int a, int b) {
    const TCell& x = rows[size_t(a)][col];
    const TCell& y = rows[size_t(b)][col];
    if (x.HasValue != y.HasValue) return false;
    if (!x.HasValue) return true;
    return key.Type == TFieldType::Integer ? x.Int == y.Int : x.Text == y.Text;
  };
  order.assign(sorted.rbegin(), sorted.rend());
  for (size_t run = 0; run < order.size();) {
    size_t end = run + 1;
    while (end < order.size() && same(order[run], order[end])) ++end;
    std::reverse(order.begin() + std::ptrdiff_t(run), order.begin() + std::ptrdiff_t(end));
    run = end;
  }
  return true;
}

bool RowLess(const std::vector<TRow>& rows, const std::vector<TSortKey>& keys, int a, int b) {
  if (!keys.empty()) {
    // The first key as SortRows packs it: a missing value and the empty text first, then
    // values (texts ignoring case, then exactly unless the index ignores case).
    const TSortKey& first = keys.front();
    const TCell& x = rows[size_t(a)][size_t(first.Column)];
    const TCell& y = rows[size_t(b)][size_t(first.Column)];
    int c = 0;
    if (first.Type == TFieldType::Integer) {
      if (x.HasValue != y.HasValue) c = x.HasValue ? 1 : -1;
      else if (x.HasValue) c = x.Int < y.Int ? -1 : (x.Int > y.Int ? 1 : 0);
    } else {
      const QStringView tx = x.HasValue ? QStringView(x.Text) : QStringView();
      const QStringView ty = y.HasValue ? QStringView(y.Text) : QStringView();
      c = CompareText(tx, TFold::Lower, ty, TFold::Lower);
      if (c == 0 && !first.IgnoreCase && x.HasValue && y.HasValue) c = CompareText(tx, TFold::None, ty, TFold::None);
    }
    if (c != 0) return first.Descending ? c > 0 : c < 0;
    for (size_t k = 1; k < keys.size(); ++k) {
      const int r = CompareCells(rows[size_t(a)][size_t(keys[k].Column)], rows[size_t(b)][size_t(keys[k].Column)], keys[k]);
      if (r != 0) return keys[k].Descending ? r > 0 : r < 0;
    }
  }
  return a < b;
}

void ResortRow(const std::vector<TRow>& rows, const std::vector<TSortKey>& keys, std::vector<int>& order, int row) {
  const auto at = std::find(order.begin(), order.end(), row);
  if (at != order.end()) order.erase(at);
  const auto place = std::lower_bound(order.begin(), order.end(), row,
                                      [&](int a, int b) { return RowLess(rows, keys, a, b); });
  order.insert(place, row);
}

void RemoveRow(std::vector<int>& order, int row) {
  std::erase(order, row);
  for (int& r : order)
    if (r > row) --r;
}
