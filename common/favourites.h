// The favourite stations: a list of names kept sorted alphabetically without regard to
// case (the desktop's collation), as the main window's menu and the configuration page
// show it, with the stream address of each favourite that is in no tuner (a station
// opened by its address). Core code: no widgets.
#pragma once

#include <QMap>
#include <QString>
#include <QStringList>
#include <functional>

class TFavourites {
 public:
  // Replaces the list (from the settings), sorting it.
  void SetNames(const QStringList& names);
  const QStringList& Names() const { return names_; }
  // Adds `name` in sorted place. A name equal to one already there (case-sensitive) is
  // refused; "abc" beside "Abc" is kept. True when added.
  bool Add(const QString& name);
  // The same, for a station known by its address only: the address is kept with it.
  bool Add(const QString& name, const QString& address);
  // Removes the name at `index` (and its address); false when out of range.
  bool RemoveAt(int index);

  // The address of the favourite `name` when it is in no tuner; empty otherwise.
  QString AddressOf(const QString& name) const { return addresses_.value(name); }
  // Every favourite's address, by name (the settings record keeps them); SetAddresses
  // keeps those of listed names only.
  const QMap<QString, QString>& Addresses() const { return addresses_; }
  void SetAddresses(const QMap<QString, QString>& addresses);

  // Told the sorted list after each change (the settings record keeps it, and the
  // addresses from Addresses()).
  std::function<void(const QStringList& names)> Changed;

 private:
  void Notify() {
    if (Changed) Changed(names_);
  }

  QStringList names_;
  QMap<QString, QString> addresses_;
};
