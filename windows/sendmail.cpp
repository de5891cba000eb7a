#include "windows/sendmail.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <gmime/gmime.h>

#include <fcntl.h>

#include <mutex>

namespace {

void InitGMime() {
  static std::once_flag once;
  std::call_once(once, [] { g_mime_init(); });
}

// A GObject reference released at the end of a scope.
template <typename T>
struct TRef {
  T* Ptr = nullptr;
  explicit TRef(T* p) : Ptr(p) {}
  ~TRef() {
    if (Ptr) g_object_unref(Ptr);
  }
  TRef(const TRef&) = delete;
  TRef& operator=(const TRef&) = delete;
};

constexpr int kSendTimeoutMs = 30000;

}  // namespace

QString MapiErrorText(uint32_t code) {
  static const char* const kTexts[] = {nullptr,
                                       "User cancelled request",
                                       "General MAPI failure",
                                       "Logon failure",
                                       "Disk full",
                                       "Insufficient memory",
                                       "Access denied",
                                       nullptr,
                                       "Too many sessions",
                                       "Too many files open",
                                       "Too many recipients",
                                       "Attachment not found",
                                       "Failed to open attachment",
                                       "Failed to write attachment",
                                       "Unknown recipient",
                                       "Invalid recipient type",
                                       "No messages",
                                       "Invalid message",
                                       "Text too large.",
                                       "Invalid session",
                                       "Type not supported",
                                       "Ambiguous recipient",
                                       "Message in use",
                                       "Network failure",
                                       "Invalid edit fields",
                                       "Invalid recipients",
                                       "Not supported"};
  if (code < std::size(kTexts) && kTexts[code]) return QString::fromLatin1(kTexts[code]);
  return QStringLiteral("Unknown Error Code: ") + QString::number(code);
}

TRecipient ClassifyRecipient(const QString& line) {
  if (line.startsWith(QLatin1String("CC:"), Qt::CaseInsensitive)) return {TRecipientClass::Cc, line.mid(3)};
  if (line.startsWith(QLatin1String("BCC:"), Qt::CaseInsensitive)) return {TRecipientClass::Bcc, line.mid(4)};
  return {TRecipientClass::To, line};
}

QString TMAPIMail::FindProgram(const QString& name) const {
  QStringList paths = SearchPath;
  if (paths.isEmpty()) {
    paths = qEnvironmentVariable("PATH").split(QLatin1Char(':'), Qt::SkipEmptyParts);
    paths << QStringLiteral("/usr/sbin") << QStringLiteral("/usr/lib") << QStringLiteral("/sbin");
  }
  return QStandardPaths::findExecutable(name, paths);
}

bool TMAPIMail::FindDefaultMailProfile(QString* program) const {
  const QString found = FindProgram(QStringLiteral("sendmail"));
  if (program) *program = found;
  return !found.isEmpty();
}

QByteArray TMAPIMail::BuildMessage(uint32_t* error) const {
  InitGMime();
  if (error) *error = 0;
  TRef<GMimeMessage> message(g_mime_message_new(TRUE));
  GMimeMessage* m = message.Ptr;
  if (!SenderAddress.isEmpty()) {
    const QString name = SenderName.isEmpty() ? SenderAddress : SenderName;
    g_mime_message_add_mailbox(m, GMIME_ADDRESS_TYPE_FROM, name.toUtf8().constData(),
                               SenderAddress.toUtf8().constData());
    if (RequestReceipt) {
      g_mime_object_set_header(GMIME_OBJECT(m), "Disposition-Notification-To",
                               SenderAddress.toUtf8().constData(), "utf-8");
    }
  }
  for (const QString& line : Recipients) {
    const TRecipient r = ClassifyRecipient(line);
    const GMimeAddressType type = r.Class == TRecipientClass::Cc    ? GMIME_ADDRESS_TYPE_CC
                                  : r.Class == TRecipientClass::Bcc ? GMIME_ADDRESS_TYPE_BCC
                                                                    : GMIME_ADDRESS_TYPE_TO;
    g_mime_message_add_mailbox(m, type, nullptr, r.Address.trimmed().toUtf8().constData());
  }
  g_mime_message_set_subject(m, Subject.toUtf8().constData(), "utf-8");
  GDateTime* now = g_date_time_new_now_local();
  g_mime_message_set_date(m, now);
  g_date_time_unref(now);
  char* id = g_mime_utils_generate_message_id("zovalis.localhost");
  g_mime_message_set_message_id(m, id);
  g_free(id);

  GMimeTextPart* text = g_mime_text_part_new_with_subtype("plain");
  g_mime_text_part_set_text(text, Body.toUtf8().constData());
  if (Attachments.isEmpty()) {
    g_mime_message_set_mime_part(m, GMIME_OBJECT(text));
    g_object_unref(text);
  } else {
    TRef<GMimeMultipart> mixed(g_mime_multipart_new_with_subtype("mixed"));
    g_mime_multipart_add(mixed.Ptr, GMIME_OBJECT(text));
    g_object_unref(text);
    for (int i = 0; i < Attachments.size(); ++i) {
      const QString& path = Attachments[i];
      if (!QFileInfo(path).isFile()) {
        if (error) *error = 11;  // Attachment not found
        return {};
      }
      GError* err = nullptr;
      GMimeStream* stream = g_mime_stream_fs_open(QFile::encodeName(path).constData(), O_RDONLY, 0, &err);
      if (!stream) {
        if (err) g_error_free(err);
        if (error) *error = 12;  // Failed to open attachment
        return {};
      }
      GMimeDataWrapper* content = g_mime_data_wrapper_new_with_stream(stream, GMIME_CONTENT_ENCODING_DEFAULT);
      g_object_unref(stream);
      GMimePart* part = g_mime_part_new_with_type("application", "octet-stream");
      g_mime_part_set_content(part, content);
      g_object_unref(content);
      g_mime_part_set_content_encoding(part, GMIME_CONTENT_ENCODING_BASE64);
      const QString name = i < AttachmentNames.size() ? AttachmentNames[i] : QFileInfo(path).fileName();
      g_mime_part_set_filename(part, name.toUtf8().constData());
      g_mime_multipart_add(mixed.Ptr, GMIME_OBJECT(part));
      g_object_unref(part);
    }
    g_mime_message_set_mime_part(m, GMIME_OBJECT(mixed.Ptr));
  }
  char* bytes = g_mime_object_to_string(GMIME_OBJECT(m), nullptr);
  QByteArray out(bytes);
  g_free(bytes);
  return out;
}

bool TMAPIMail::SendThroughComposer() {
  const QString composer = FindProgram(QStringLiteral("xdg-email"));
  if (composer.isEmpty()) {
    LastError = 1;
    return false;
  }
  QStringList args{QStringLiteral("--utf8"), QStringLiteral("--subject"), Subject, QStringLiteral("--body"), Body};
  QStringList to;
  for (const QString& line : Recipients) {
    const TRecipient r = ClassifyRecipient(line);
    if (r.Class == TRecipientClass::To) {
      to << r.Address.trimmed();
    } else {
      args << (r.Class == TRecipientClass::Cc ? QStringLiteral("--cc") : QStringLiteral("--bcc")) << r.Address.trimmed();
    }
  }
  for (const QString& path : Attachments) {
    if (!QFileInfo(path).isFile()) {
      LastError = 11;
      return false;
    }
    args << QStringLiteral("--attach") << path;
  }
  args << to;
  QProcess p;
  p.start(composer, args);
  if (!p.waitForFinished(kSendTimeoutMs)) {
    p.kill();
    p.waitForFinished(1000);
    LastError = 2;
    return false;
  }
  LastError = p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0 ? 0 : 2;
  return LastError == 0;
}

bool TMAPIMail::Send() {
  if (EditDialog) return SendThroughComposer();
  QString sendmail;
  if (!FindDefaultMailProfile(&sendmail)) {
    LastError = 1;
    return false;
  }
  uint32_t buildError = 0;
  const QByteArray message = BuildMessage(&buildError);
  if (buildError != 0) {
    LastError = buildError;
    return false;
  }
  QProcess p;
  p.start(sendmail, {QStringLiteral("-t"), QStringLiteral("-i")});
  if (!p.waitForStarted(kSendTimeoutMs)) {
    LastError = 3;
    throw TMapiError(3, QStringLiteral("MAPI Error %1: %2").arg(3).arg(MapiErrorText(3)));
  }
  p.write(message);
  p.closeWriteChannel();
  if (!p.waitForFinished(kSendTimeoutMs)) {
    p.kill();
    p.waitForFinished(1000);
    LastError = 2;
    return false;
  }
  LastError = p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0 ? 0 : 2;
  return LastError == 0;
}
