// The HTTP client against a real update server and a real proxy, the proxy text of the
// desktop, and the update descriptor.
#include <gtest/gtest.h>

#include "support/qtprint.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QUrl>

#include "catalogue/httpclient.h"
#include "catalogue/proxydetect.h"
#include "catalogue/updatedescriptor.h"
#include "servers.h"

namespace {

using namespace CatalogueTest;

void WriteFile(const QString& path, const QByteArray& bytes) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(bytes);
}

QByteArray ReadFile(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void SetMTime(const QString& path, const QDateTime& when) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::ReadWrite));
  ASSERT_TRUE(f.setFileTime(when, QFileDevice::FileModificationTime));
}

class HttpClientTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteFile(root.path() + "/radios.xml", QByteArray(40000, 'r'));
    WriteFile(root.path() + "/small.txt", "hello");
    ASSERT_TRUE(server.Start(root.path()));
    http.SetTimeouts(2000, 1500);
  }

  QTemporaryDir root;
  QTemporaryDir local;
  UpdateServer server;
  THttpClient http;
};

TEST_F(HttpClientTest, ServerReachableFollowsStatusAndTransport) {
  struct Case {
    const char* name;
    QString url;
    bool reachable;
  };
  const Case cases[] = {
      {"existing file", server.Url("small.txt"), true},
      {"missing file (404)", server.Url("missing.txt"), false},
      {"server error (500)", server.Url("status/500"), false},
      {"nobody listening", QStringLiteral("http://127.0.0.1:%1/x").arg(FreePort()), false},
      {"file address", QUrl::fromLocalFile(root.path() + "/small.txt").toString(), true},
      {"missing file address", QUrl::fromLocalFile(root.path() + "/none.txt").toString(), false},
  };
  for (const Case& c : cases) EXPECT_EQ(http.ServerReachable(c.url), c.reachable) << c.name;
}

TEST_F(HttpClientTest, StalledServerTimesOutWithoutFreezingTheCaller) {
  int slices = 0;
  http.SetProcessEvents([&] { ++slices; });
  QElapsedTimer t;
  t.start();
  EXPECT_FALSE(http.ServerReachable(server.Url("stall/small.txt")));
  EXPECT_LT(t.elapsed(), 10000);
  // The caller's events ran all along (every 50 ms at most).
  EXPECT_GE(slices, 10);
}

TEST_F(HttpClientTest, DownloadIfNewerComparesDatesAndReplacesWhole) {
  const QString target = local.path() + "/radios.xml";
  // Missing target, server sends a date: fetched.
  EXPECT_TRUE(http.DownloadIfNewer(server.Url("radios.xml"), target));
  EXPECT_EQ(ReadFile(target), ReadFile(root.path() + "/radios.xml"));

  // Same date again: the local copy is as new, nothing fetched.
  EXPECT_FALSE(http.DownloadIfNewer(server.Url("radios.xml"), target));

  // The server's copy becomes newer than ours: fetched; older: not.
  WriteFile(root.path() + "/radios.xml", QByteArray(1000, 'n'));
  SetMTime(root.path() + "/radios.xml", QDateTime::currentDateTime().addSecs(120));
  EXPECT_TRUE(http.DownloadIfNewer(server.Url("radios.xml"), target));
  EXPECT_EQ(ReadFile(target), QByteArray(1000, 'n'));
  WriteFile(root.path() + "/radios.xml", QByteArray(10, 'o'));
  SetMTime(root.path() + "/radios.xml", QDateTime::currentDateTime().addDays(-30));
  EXPECT_FALSE(http.DownloadIfNewer(server.Url("radios.xml"), target));
  EXPECT_EQ(ReadFile(target), QByteArray(1000, 'n'));

  // No date from the server: never fetched, even when the target is missing.
  EXPECT_FALSE(http.DownloadIfNewer(server.Url("nodate/small.txt"), local.path() + "/small.txt"));
  EXPECT_FALSE(QFile::exists(local.path() + "/small.txt"));

  // A body cut in the middle, an error status, a stalled server: the old copy stays whole
  // and no temporary file is left beside it.
  EXPECT_FALSE(http.DownloadIfNewer(server.Url("half/small.txt"), target));
  EXPECT_FALSE(http.DownloadIfNewer(server.Url("status/404"), target));
  EXPECT_FALSE(http.DownloadIfNewer(server.Url("stall/radios.xml"), target));
  EXPECT_EQ(ReadFile(target), QByteArray(1000, 'n'));
  EXPECT_EQ(QDir(local.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"radios.xml"});
}

TEST_F(HttpClientTest, FileAddressesCarryDatesToo) {
  const QString target = local.path() + "/small.txt";
  const QString url = QUrl::fromLocalFile(root.path() + "/small.txt").toString();
  EXPECT_TRUE(http.DownloadIfNewer(url, target));
  EXPECT_EQ(ReadFile(target), "hello");
  EXPECT_FALSE(http.DownloadIfNewer(url, target));
}

TEST_F(HttpClientTest, ProgressReportsLengthThenBytes) {
  qint64 expected = -1, last = -1;
  int blocks = 0, events = 0;
  http.SetProgress({[&](qint64 e) { expected = e; }, [&](qint64 r) {
                      last = r;
                      ++blocks;
                    }});
  http.SetProcessEvents([&] { ++events; });
  const THttpResult r = http.GetToFile(server.Url("slow/radios.xml"), local.path() + "/got.xml");
  ASSERT_TRUE(r.Ok) << r.Error.toStdString();
  EXPECT_EQ(expected, 40000);
  EXPECT_EQ(last, 40000);
  EXPECT_GT(blocks, 2);
  EXPECT_GT(events, 5);
}

TEST_F(HttpClientTest, UserAgentAndCookiesReachTheServer) {
  // A server that records the request and sets a cookie on the first answer.
  QTcpServer listener;
  ASSERT_TRUE(listener.listen(QHostAddress::LocalHost, 0));
  QList<QByteArray> requests;
  QObject::connect(&listener, &QTcpServer::newConnection, [&] {
    while (QTcpSocket* s = listener.nextPendingConnection()) {
      QObject::connect(s, &QTcpSocket::readyRead, s, [s, &requests] {
        requests.append(s->readAll());
        s->write("HTTP/1.1 200 OK\r\nSet-Cookie: session=42; Path=/\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
        s->flush();
        s->disconnectFromHost();
      });
    }
  });
  http.SetProcessEvents([] { QCoreApplication::processEvents(); });
  const QString url = QStringLiteral("http://127.0.0.1:%1/a").arg(listener.serverPort());
  EXPECT_TRUE(http.ServerReachable(url));
  http.SetUserAgent(QString::fromLatin1(THttpClient::kPlaylistUserAgent));
  EXPECT_TRUE(http.ServerReachable(url));
  ASSERT_EQ(requests.size(), 2);
  EXPECT_TRUE(requests[0].contains("User-Agent: Mozilla/3.0 (compatible; Indy Library)\r\n"));
  EXPECT_TRUE(requests[0].contains("Accept: text/html, */*\r\n"));
  EXPECT_TRUE(requests[1].contains("User-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1)\r\n"));
  EXPECT_TRUE(requests[1].contains("Cookie: session=42"));
}

TEST_F(HttpClientTest, ProxyWithBasicAuthentication) {
  TinyProxy proxy;
  ASSERT_TRUE(proxy.Start("zuser", "zsecret"));
  struct Case {
    const char* name;
    QString user, password;
    bool reachable;
  };
  const Case cases[] = {
      {"right credentials", "zuser", "zsecret", true},
      {"wrong password", "zuser", "nope", false},
      {"no credentials", "", "", false},
  };
  for (const Case& c : cases) {
    THttpClient client;
    client.SetTimeouts(3000, 3000);
    client.SetProxy({QStringLiteral("127.0.0.1"), proxy.Port(), c.user, c.password});
    EXPECT_EQ(client.ServerReachable(server.Url("small.txt")), c.reachable) << c.name;
  }
}

TEST(ProxyDetect, ListTexts) {
  struct Case {
    const char* name;
    const char* list;
    const char* host;
    int port;
  };
  const Case cases[] = {
      {"single entry", "proxy.lan:3128", "proxy.lan", 3128},
      {"labelled entry first", "http=web.lan:8080;https=tls.lan:8443", "web.lan", 8080},
      {"labelled entry after another", "https=tls.lan:8443;http=web.lan:8080", "web.lan", 8080},
      {"https label alone does not match http", "https=tls.lan:8443", "https=tls.lan", 8443},
      {"entries without the label", "ftp=f.lan:21;socks=s.lan:1080", "ftp=f.lan", 0},
      {"no colon", "proxy.lan", "", 0},
      {"empty", "", "", 0},
      {"port not a number", "proxy.lan:abc", "proxy.lan", 0},
      {"port out of range", "proxy.lan:99999999999", "proxy.lan", 0},
  };
  for (const Case& c : cases) {
    const TDetectedProxy p = DetectProxy(QStringLiteral("http"), QString::fromUtf8(c.list));
    EXPECT_EQ(p.Host.toStdString(), c.host) << c.name;
    EXPECT_EQ(p.Port, c.port) << c.name;
  }
}

TEST(ProxyDetect, SystemProxyFromEnvironmentAndDesktop) {
  struct Case {
    const char* name;
    const char* httpProxy;
    const char* upperProxy;
    const char* gnomeMode;
    const char* expected;
  };
  const Case cases[] = {
      {"URL with scheme and slash", "http://proxy.lan:3128/", "", "", "proxy.lan:3128"},
      {"URL with credentials", "http://me:pw@proxy.lan:3128", "", "", "proxy.lan:3128"},
      {"bare host and port", "proxy.lan:8080", "", "", "proxy.lan:8080"},
      {"upper-case variable", "", "http://up.lan:81/", "", "up.lan:81"},
      {"desktop manual mode", "", "", "'manual'", "desk.lan:3129"},
      {"desktop without proxy", "", "", "'none'", ""},
      {"nothing anywhere", "", "", "", ""},
  };
  for (const Case& c : cases) {
    const auto env = [&](const char* name) {
      return QString::fromUtf8(QByteArray(name) == "http_proxy" ? c.httpProxy : c.upperProxy);
    };
    const auto gsettings = [&](const QStringList& args) -> QString {
      if (args.value(2) == "mode") return QString::fromUtf8(c.gnomeMode) + "\n";
      if (args.value(2) == "host") return "'desk.lan'\n";
      if (args.value(2) == "port") return "3129\n";
      return {};
    };
    EXPECT_EQ(ReadSystemProxy(env, gsettings).toStdString(), c.expected) << c.name;
  }
}

TEST(UpdateDescriptor, Parsing) {
  struct Case {
    const char* name;
    const char* xml;
    bool ok;
    int version;
    int tuners;
  };
  const Case cases[] = {
      {"newer version with two tuners",
       "<CurrentVersion><Major>2</Major><Minor>1</Minor><Release>2</Release><DownloadUrl>http://d/</DownloadUrl>"
       "<Tuner><A>http://a/</A><B x='1'>http://b/</B></Tuner></CurrentVersion>",
       true, 20102, 2},
      {"same version", "<CurrentVersion><Major>2</Major><Minor>1</Minor><Release>1</Release></CurrentVersion>", true,
       20101, 0},
      {"tuner list without children",
       "<CurrentVersion><Major>1</Major><Minor>0</Minor><Release>0</Release><Tuner/></CurrentVersion>", true, 10000, 0},
      {"not XML", "this is not xml <", false, 0, 0},
      {"Major not an integer", "<CurrentVersion><Major>two</Major><Minor>1</Minor><Release>1</Release></CurrentVersion>",
       false, 0, 0},
      {"another document", "<html><body/></html>", false, 0, 0},
      {"truncated", "<CurrentVersion><Major>2</Major><Tuner><A>http://a/</A>", false, 0, 0},
  };
  for (const Case& c : cases) {
    const TUpdateDescriptor d = ParseUpdateDescriptor(QByteArray(c.xml));
    EXPECT_EQ(d.Ok, c.ok) << c.name;
    EXPECT_EQ(d.ServerVersion, c.version) << c.name;
    EXPECT_EQ(d.Tuners.size(), c.tuners) << c.name;
    if (!c.ok) {
      EXPECT_FALSE(d.Error.isEmpty()) << c.name;
    }
  }
  EXPECT_LT(ProgramVersionNumber(2, 1, 1), ProgramVersionNumber(2, 1, 2));
  EXPECT_EQ(ProgramVersionNumber(2, 1, 1), 20101);
}

TEST(UpdateDescriptor, TunerAddressesResolveAgainstTheServer) {
  EXPECT_EQ(ResolveTunerAddress("file:///opt/z/server/", "catalogue/"), "file:///opt/z/server/catalogue/");
  EXPECT_EQ(ResolveTunerAddress("http://h/srv/", "cat"), "http://h/srv/cat/");
  EXPECT_EQ(ResolveTunerAddress("file:///opt/z/server/", "https://other/t/"), "https://other/t/");
}

}  // namespace
