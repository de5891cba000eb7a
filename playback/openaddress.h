// Opening a stream by its address: what counts as an address the user typed, pasted or
// dropped, and the logic of the "Ouvrir une adresse ..." dialog (the field pre-filled from
// the clipboard, Enter that plays, the station record handed to the station player).
// Plain code, no widgets: the dialog (windows/openaddressform.h) only shows it.
#pragma once

#include <QString>

#include "catalogue/stationrecord.h"

// Texts longer than this are no address (a pasted page, a log): nothing is taken from them.
constexpr qsizetype kMaxAddressLength = 4096;

// The stream address in `text`, or an empty string when it holds none. Blanks around it
// are dropped; http:// and https:// addresses are kept as written, icy:// becomes http://,
// and a bare "host[:port]/path" (as copied from a web page, "radio.example.org:8000/live")
// gets "http://". An address has a host and no blank or control character inside; texts
// of several lines, other schemes (ftp, file, javascript) and anything over
// kMaxAddressLength give nothing.
QString StreamAddressOf(const QString& text);

// The dialog's logic, one per showing.
class TOpenAddress {
 public:
  // `clipboard`: the clipboard's text when the dialog opens; the field starts with the
  // address it holds when it is written with its scheme ("http://", "https://", "icy://"),
  // or empty.
  explicit TOpenAddress(const QString& clipboard = QString());

  // The field's text, as the user edits it.
  const QString& Text() const { return text_; }
  void SetText(const QString& text) { text_ = text; }

  // The address the field holds (empty when none): Enter and the buttons are enabled
  // only then.
  QString Address() const { return StreamAddressOf(text_); }
  bool CanOpen() const { return !Address().isEmpty(); }

  // The station to play: the address as its name (the stream's icy-name replaces it once
  // connected) and as its address. An empty record when the field holds no address.
  TStationRecord Station() const;

 private:
  QString text_;
};
