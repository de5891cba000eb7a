// Short mails through the desktop's mail submission program: the station suggestions and
// malfunction reports. Callers fill Subject and Body and call Send. The message (headers,
// plain-text body in UTF-8, attachments) is built by GMime and handed to `sendmail -t -i`;
// with EditDialog the desktop's compose window (xdg-email) opens instead. Core code: no
// widgets.
//
// Results follow the mail interface's codes (MapiErrorText): 0 accepted, 1 no mail program,
// 2 the mail program failed, 11 an attachment is missing. A mail program that is present
// but cannot be started is the "logon failure": Send throws TMapiError ("MAPI Error 3:
// Logon failure"), which the caller shows; every other failure only sets LastError.
//
// Thread: the interface thread; Send blocks until the mail program ends (30 s at most).
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <stdexcept>

// The text of a result code: "User cancelled request" ... "Not supported", else
// "Unknown Error Code: " and the code.
QString MapiErrorText(uint32_t code);

class TMapiError : public std::runtime_error {
 public:
  TMapiError(uint32_t code, const QString& message) : std::runtime_error(message.toStdString()), Code(code) {}
  uint32_t Code;
};

enum class TRecipientClass { To = 1, Cc = 2, Bcc = 3 };

struct TRecipient {
  TRecipientClass Class;
  QString Address;
};

// A recipient line: "CC:" or "BCC:" (any case) make a copy or blind-copy recipient with
// the rest of the line (a following space included); anything else is a primary one.
TRecipient ClassifyRecipient(const QString& line);

class TMAPIMail {
 public:
  QString Subject;
  QString Body;
  QStringList Recipients;
  QStringList Attachments;      // file paths
  QStringList AttachmentNames;  // display names, parallel to Attachments
  bool EditDialog = true;
  bool ResolveNames = false;    // addresses are used as written
  bool RequestReceipt = false;  // asks for a read receipt (needs SenderAddress)
  QString SenderName;
  QString SenderAddress;

  uint32_t LastError = 0;

  // Where the mail programs are looked up: the PATH, then the system folders. Tests
  // point this at their own folder.
  QStringList SearchPath;

  // Whether a mail submission program is present (the "default profile").
  bool FindDefaultMailProfile(QString* program = nullptr) const;

  // The whole message as it is submitted (RFC 5322, MIME). Empty with `error` set to an
  // attachment error code when an attachment cannot be read.
  QByteArray BuildMessage(uint32_t* error = nullptr) const;

  // Sends the message; true when the mail program accepted it.
  bool Send();

 private:
  QString FindProgram(const QString& name) const;
  bool SendThroughComposer();
};
