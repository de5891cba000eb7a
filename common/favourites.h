// The favourite stations: a list of names kept sorted alphabetically without regard to
// case (the desktop's collation), as the main window's menu and the configuration page
// show it. Core code: no widgets.
#pragma once

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
  // Removes the name at `index`; false when out of range.
  bool RemoveAt(int index);

  // Told the sorted list after each change (the settings record keeps it).
  std::function<void(const QStringList& names)> Changed;

 private:
  void Notify() {
    if (Changed) Changed(names_);
  }

  QStringList names_;
};
