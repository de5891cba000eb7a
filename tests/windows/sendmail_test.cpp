// The mail sender on a real submission chain: a `sendmail` that is msmtp, delivering to
// an SMTP sink (aiosmtpd) on 127.0.0.1, the delivered message read back by Python's mail
// parser. Also the results when the mail program is missing, fails or cannot start.
#include <gtest/gtest.h>

#include "support/qtprint.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>

#include "windows/sendmail.h"

namespace {

void WriteScript(const QString& path, const QByteArray& text) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(text);
  f.close();
  f.setPermissions(f.permissions() | QFileDevice::ExeOwner);
}

class SmtpSink {
 public:
  explicit SmtpSink(const QString& folder) : box_(folder + "/box") {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    port_ = probe.serverPort();
    probe.close();
    sink_.start("/usr/bin/python3", {"-m", "aiosmtpd", "-n", "-l", QString("127.0.0.1:%1").arg(port_), "-c",
                                     "aiosmtpd.handlers.Mailbox", box_});
    for (int i = 0; i < 100; ++i) {
      QTcpSocket s;
      s.connectToHost(QHostAddress::LocalHost, port_);
      if (s.waitForConnected(100)) return;
      QThread::msleep(50);
    }
  }
  ~SmtpSink() {
    sink_.kill();
    sink_.waitForFinished(3000);
  }
  quint16 Port() const { return port_; }
  QStringList Delivered() const {
    QStringList out;
    for (const QString& name : QDir(box_ + "/new").entryList(QDir::Files)) out << box_ + "/new/" + name;
    return out;
  }

 private:
  QString box_;
  quint16 port_ = 0;
  QProcess sink_;
};

// The delivered message as Python's mail parser reads it.
QJsonObject Parse(const QString& path) {
  const char* script = R"(
import email, email.policy, json, sys
m = email.message_from_binary_file(open(sys.argv[1], 'rb'), policy=email.policy.default)
body = m.get_body(preferencelist=('plain',))
print(json.dumps({'subject': str(m['subject']), 'to': str(m['to']), 'cc': str(m['cc'] or ''),
                  'bcc': str(m['bcc'] or ''), 'body': body.get_content() if body else '',
                  'files': [p.get_filename() for p in m.iter_attachments()],
                  'data': [p.get_content().decode('latin-1') if isinstance(p.get_content(), bytes) else p.get_content()
                           for p in m.iter_attachments()]}))
)";
  QProcess p;
  p.start("/usr/bin/python3", {"-c", script, path});
  p.waitForFinished(10000);
  return QJsonDocument::fromJson(p.readAllStandardOutput()).object();
}

TEST(SendMail, ErrorTextsAndRecipientClasses) {
  EXPECT_EQ(MapiErrorText(1), "User cancelled request");
  EXPECT_EQ(MapiErrorText(18), "Text too large.");
  EXPECT_EQ(MapiErrorText(26), "Not supported");
  for (uint32_t code : {0u, 7u, 27u}) EXPECT_EQ(MapiErrorText(code), "Unknown Error Code: " + QString::number(code));
  const struct {
    const char* line;
    TRecipientClass cls;
    const char* address;
  } cases[] = {{"cc:bob@example.org", TRecipientClass::Cc, "bob@example.org"},
               {"Cc:Bob@example.org", TRecipientClass::Cc, "Bob@example.org"},
               {"BCC: eve@example.org", TRecipientClass::Bcc, " eve@example.org"},
               {"alice@example.org", TRecipientClass::To, "alice@example.org"},
               {"ccbob@example.org", TRecipientClass::To, "ccbob@example.org"}};
  for (const auto& c : cases) {
    const TRecipient r = ClassifyRecipient(c.line);
    EXPECT_EQ(r.Class, c.cls) << c.line;
    EXPECT_EQ(r.Address, c.address) << c.line;
  }
}

TEST(SendMail, DeliversThroughTheSystemMailProgram) {
  QTemporaryDir dir;
  SmtpSink sink(dir.path());
  ASSERT_TRUE(QDir(dir.path()).mkpath("bin"));
  const QString cfg = dir.filePath("msmtprc");
  WriteScript(cfg, QString("account default\nhost 127.0.0.1\nport %1\nauth off\ntls off\nfrom zovalis@example.org\n")
                       .arg(sink.Port())
                       .toUtf8());
  QFile::setPermissions(cfg, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
  WriteScript(dir.filePath("bin/sendmail"), ("#!/bin/sh\nexec msmtp -C '" + cfg + "' \"$@\"\n").toUtf8());
  WriteScript(dir.filePath("one.txt"), "premier");
  WriteScript(dir.filePath("two.txt"), "second");

  TMAPIMail mail;
  mail.SearchPath = {dir.filePath("bin")};
  mail.EditDialog = false;
  mail.Recipients = {"catalogue@example.org", "cc:copie@example.org", "BCC:cachee@example.org"};
  mail.Subject = "Proposition de radio : Fréquence Été";
  mail.Body = "Site WEB de la radio : https://radio.example\n\rUrl du flux : http://127.0.0.1:9/x\n\r";
  mail.Attachments = {dir.filePath("one.txt"), dir.filePath("two.txt")};
  mail.AttachmentNames = {"nommé.txt"};
  ASSERT_TRUE(mail.FindDefaultMailProfile());
  ASSERT_TRUE(mail.Send()) << MapiErrorText(mail.LastError).toStdString();
  EXPECT_EQ(mail.LastError, 0u);

  const QStringList delivered = sink.Delivered();
  ASSERT_EQ(delivered.size(), 1);
  const QJsonObject m = Parse(delivered[0]);
  EXPECT_EQ(m["subject"].toString(), "Proposition de radio : Fréquence Été");
  EXPECT_EQ(m["to"].toString(), "catalogue@example.org");
  EXPECT_EQ(m["cc"].toString(), "copie@example.org");
  EXPECT_EQ(m["bcc"].toString(), "");  // blind copies leave no trace in the message
  EXPECT_TRUE(m["body"].toString().contains("Url du flux : http://127.0.0.1:9/x"));
  EXPECT_EQ(m["files"].toArray(), QJsonArray({"nommé.txt", "two.txt"}));
  EXPECT_EQ(m["data"].toArray(), QJsonArray({"premier", "second"}));
}

TEST(SendMail, ResultsWhenTheMailProgramIsMissingFailsOrCannotStart) {
  QTemporaryDir dir;
  TMAPIMail mail;
  mail.EditDialog = false;
  mail.Recipients = {"catalogue@example.org"};
  mail.SearchPath = {dir.path()};
  EXPECT_FALSE(mail.FindDefaultMailProfile());
  EXPECT_FALSE(mail.Send());
  EXPECT_EQ(mail.LastError, 1u);

  WriteScript(dir.filePath("sendmail"), "#!/bin/sh\ncat >/dev/null\nexit 75\n");
  EXPECT_FALSE(mail.Send());
  EXPECT_EQ(mail.LastError, 2u);

  mail.Attachments = {dir.filePath("absent.bin")};
  EXPECT_FALSE(mail.Send());
  EXPECT_EQ(mail.LastError, 11u);
  mail.Attachments.clear();

  // Present but not startable: the logon failure, raised for the caller to show.
  WriteScript(dir.filePath("sendmail"), "#!/nonexistent/interpreter\n");
  try {
    mail.Send();
    ADD_FAILURE() << "no error raised";
  } catch (const TMapiError& e) {
    EXPECT_EQ(e.Code, 3u);
    EXPECT_STREQ(e.what(), "MAPI Error 3: Logon failure");
  }
  // Still usable afterwards.
  WriteScript(dir.filePath("sendmail"), "#!/bin/sh\ncat >/dev/null\n");
  EXPECT_TRUE(mail.Send());
}

}  // namespace
