#include "catalogue/roworder.h"

#include <algorithm>
#include <deque>
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

// Units (of a text mapped by Unaccent) are stored + 1, so 0 marks the end of the text and
// a shorter text sorts before a longer one with the same start. 0xFFFF saturates (it
// cannot be stored + 1); the final comparison settles such ties.
void PackUnits(const char16_t* s, qsizetype n, qsizetype offset, TEntry& e) {
  auto unit = [&](qsizetype i) -> quint64 {
    if (i >= n) return 0;
    const quint64 u = quint64(s[i]) + 1;
    return u > 0xFFFF ? 0xFFFF : u;
  };
  quint64 high = 0, low = 0;
  for (qsizetype i = 0; i < 4; ++i) high = (high << 16) | unit(offset + i);
  for (qsizetype i = 4; i < 8; ++i) low = (low << 16) | unit(offset + i);
  e.High = high;
  e.Low = low;
}

// The levels of CollateText after the unaccented texts: lower-cased, then exact unless
// `caseInsensitive`.
int CompareAccentsAndCase(QStringView a, QStringView b, bool caseInsensitive) {
  const int folded = CompareText(a, TFold::Lower, b, TFold::Lower);
  if (folded != 0 || caseInsensitive) return folded;
  return CompareText(a, TFold::None, b, TFold::None);
}

int CompareCells(const TCell& a, const TCell& b, const TSortKey& key) {
  if (!a.HasValue || !b.HasValue) return int(a.HasValue) - int(b.HasValue);
  if (key.Type == TFieldType::Integer) return a.Int < b.Int ? -1 : (a.Int > b.Int ? 1 : 0);
  if (a.Text.constData() == b.Text.constData() && a.Text.size() == b.Text.size()) return 0;  // shared text
  return CollateText(a.Text, b.Text, key.IgnoreCase);
}

using It = std::vector<TEntry>::iterator;

class TSorter {
 public:
  // `folded`: gives a text column laid out by Unaccent.
  TSorter(const std::vector<TRow>& rows, const std::vector<TSortKey>& keys, const TFoldedColumn& folded)
      : rows_(rows), keys_(keys), foldedOf_(folded) {}

  // Sorts [b, e) by the keys.
  void Run(It b, It e) {
    const TSortKey& first = keys_.front();
    if (first.Type == TFieldType::String) {
      folded_ = foldedOf_(first.Column);
      // A missing text is laid out empty, which packs as 0 too: no cell is read.
      for (It i = b; i != e; ++i) Pack(i->Row, 0, *i);
      return SortPacked(b, e, 0);
    }
    for (It i = b; i != e; ++i) {
      const TCell& c = Cell(i->Row, 0);
      i->High = c.HasValue ? quint64(qint64(c.Int) - qint64(INT32_MIN)) + 1 : 0;  // 0: before every value
      i->Low = 0;
    }
    SortPacked(b, e, 0);
  }

 private:
  const TCell& Cell(int row, size_t key) const { return rows_[size_t(row)][size_t(keys_[key].Column)]; }

  // Packs the first key's unaccented text of `row` from `offset`.
  void Pack(int row, qsizetype offset, TEntry& e) const {
    const qsizetype start = folded_->Starts[size_t(row)];
    const char16_t* units = reinterpret_cast<const char16_t*>(folded_->Text.constData()) + start;
    PackUnits(units, folded_->Starts[size_t(row) + 1] - start, offset, e);
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

  // Rows equal on the first key's unaccented text: its accents and case (only its accents
  // when the index ignores case), then the other keys, then insertion order.
  void SortTies(It b, It e) {
    const TSortKey& first = keys_.front();
    const bool text = first.Type == TFieldType::String;
    if (!text && keys_.size() == 1) return;  // already in row order
    if (text) {
      // Most runs hold one text many times (countries, genres): already in order on the
      // first key.
      const TCell& head = Cell(b->Row, 0);
      const bool same = std::all_of(b + 1, e, [&](const TEntry& x) {
        const TCell& c = Cell(x.Row, 0);
        return c.HasValue == head.HasValue && (!c.HasValue || c.Text == head.Text);
      });
      if (same && keys_.size() == 1) return;
      if (same) return SortOnOtherKeys(b, e);
    } else if (keys_.size() > 1) {
      return SortOnOtherKeys(b, e);
    }
    std::sort(b, e, [&](const TEntry& x, const TEntry& y) {
      if (text) {
        const TCell& a = Cell(x.Row, 0);
        const TCell& c = Cell(y.Row, 0);
        if (a.HasValue && c.HasValue) {
          const int r = CompareAccentsAndCase(a.Text, c.Text, first.IgnoreCase);
          if (r != 0) return first.Descending ? r > 0 : r < 0;
        }
      }
      return OtherKeysLess(x, y);
    });
  }

  // Rows equal on the first key (stations of one country): sorted by the later keys as
  // by a sort of their own, on packed digits, not one text comparison at a time.
  void SortOnOtherKeys(It b, It e) {
    const std::vector<TSortKey> later(keys_.begin() + 1, keys_.end());
    TSorter(rows_, later, foldedOf_).Run(b, e);
  }

  bool OtherKeysLess(const TEntry& x, const TEntry& y) const {
    for (size_t k = 1; k < keys_.size(); ++k) {
      const int r = CompareCells(Cell(x.Row, k), Cell(y.Row, k), keys_[k]);
      if (r != 0) return keys_[k].Descending ? r > 0 : r < 0;
    }
    return x.Row < y.Row;
  }

  const std::vector<TRow>& rows_;
  const std::vector<TSortKey>& keys_;
  const TFoldedColumn& foldedOf_;
  const TColumnText* folded_ = nullptr;  // the first key's, for a text key
};

}  // namespace

TColumnText LayOutColumn(const std::vector<TRow>& rows, int column, TFold fold) {
  TColumnText t;
  const size_t col = size_t(column);
  qsizetype total = 0;
  for (const TRow& row : rows) total += col < row.size() && row[col].HasValue ? row[col].Text.size() : 0;
  // Unaccent mostly keeps the length; a ligature or two per text at most lengthens it.
  t.Text.reserve(fold == TFold::Unaccent ? total + total / 16 + 16 : total);
  t.Starts.resize(rows.size() + 1);
  for (size_t r = 0; r < rows.size(); ++r) {
    t.Starts[r] = t.Text.size();
    if (col < rows[r].size() && rows[r][col].HasValue) AppendFolded(t.Text, rows[r][col].Text, fold);
  }
  t.Starts[rows.size()] = t.Text.size();
  return t;
}

void SortRows(const std::vector<TRow>& rows, const std::vector<TSortKey>& keys, std::vector<int>& order,
              const TFoldedColumn& folded) {
  order.resize(rows.size());
  std::iota(order.begin(), order.end(), 0);
  if (keys.empty()) return;
  std::vector<TEntry> entries(rows.size());
  for (size_t r = 0; r < rows.size(); ++r) entries[r].Row = int(r);
  // Columns laid out here when the caller keeps none (or one of another length).
  std::deque<std::pair<int, TColumnText>> own;
  const TFoldedColumn columnOf = [&](int column) -> const TColumnText* {
    if (folded) {
      const TColumnText* kept = folded(column);
      if (kept && kept->Starts.size() == rows.size() + 1) return kept;
    }
    for (const auto& [c, t] : own)
      if (c == column) return &t;
    own.emplace_back(column, LayOutColumn(rows, column, TFold::Unaccent));
    return &own.back().second;
  };
  TSorter(rows, keys, columnOf).Run(entries.begin(), entries.end());
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
    // values (texts as CollateText orders them, but for the exact level when the index
    // ignores case).
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
      c = CompareUnaccented(tx, ty);
      if (c == 0 && x.HasValue && y.HasValue) c = CompareAccentsAndCase(tx, ty, first.IgnoreCase);
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
