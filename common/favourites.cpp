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
  // A name no longer listed takes its address with it.
  for (auto it = addresses_.begin(); it != addresses_.end();)
    it = names_.contains(it.key(), Qt::CaseSensitive) ? std::next(it) : addresses_.erase(it);
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

bool TFavourites::Add(const QString& name, const QString& address) {
  if (names_.contains(name, Qt::CaseSensitive)) return false;
  if (!address.isEmpty()) addresses_.insert(name, address);
  return Add(name);
}

void TFavourites::SetAddresses(const QMap<QString, QString>& addresses) {
  addresses_.clear();
  for (auto it = addresses.cbegin(); it != addresses.cend(); ++it)
    if (names_.contains(it.key(), Qt::CaseSensitive) && !it.value().isEmpty()) addresses_.insert(it.key(), it.value());
  Notify();
}

bool TFavourites::RemoveAt(int index) {
  if (index < 0 || index >= names_.size()) return false;
  addresses_.remove(names_.takeAt(index));
  Notify();
  return true;
}
