#include "catalogue/browserstartup.h"

#include <QUrl>

#include <cstdlib>

#include "common/settings.h"
#include "catalogue/catalogueloader.h"
#include "catalogue/httpclient.h"
#include "catalogue/proxydetect.h"
#include "catalogue/updatedescriptor.h"

QString UpdateServerBase(const QString& exeFolder) {
  QString base = QString::fromLocal8Bit(std::getenv("ZOVALIS_UPDATE_SERVER")).trimmed();
  if (base.isEmpty()) base = QUrl::fromLocalFile(exeFolder + QStringLiteral("server/")).toString();
  if (!base.endsWith(QLatin1Char('/'))) base += QLatin1Char('/');
  return base;
}

TStartupResult RunBrowserStartup(const TStartupContext& c) {
  TStartupResult result;
  TSettings& s = *c.Settings;
  c.Prompts->SetBalloonText(QStringLiteral("Détection du proxy ..."));

  // The offer comes at every start until the user accepts it once.
  const TDetectedProxy detected = DetectProxy(QStringLiteral("http"), c.ReadSystemProxy ? c.ReadSystemProxy() : QString());
  if (!detected.Host.isEmpty() && !s.IsProxyServer) {
    if (c.Prompts->Confirm(QStringLiteral("Le serveur proxy ") + detected.Host +
                           QStringLiteral(" a été détecté, souhaitez-vous vous connecter via celui-ci ?"))) {
      s.IsProxyServer = true;
      s.ProxyServer = detected.Host;
      s.ProxyPort = QString::number(detected.Port);
      const QString caption = QStringLiteral("Authentification sur le serveur Proxy");
      s.ProxyUser = c.Prompts->AskText(caption, QStringLiteral("Entrez le login du proxy : ")).value_or(QString());
      if (!s.ProxyUser.trimmed().isEmpty()) {
        s.ProxyPasswd = c.Prompts->AskText(caption, QStringLiteral("Entrez le mot de passe : ")).value_or(QString());
      } else {
        s.ProxyPasswd.clear();
      }
    }
  }

  // The client's proxy is set once; later changes reach it at the next start. A port that
  // is not a number is reported and the connection goes direct, so the catalogue still
  // loads.
  THttpProxy proxy;
  if (s.IsProxyServer && !s.ProxyServer.trimmed().isEmpty()) {
    bool ok = false;
    const int port = s.ProxyPort.trimmed().toInt(&ok);
    if (ok && port >= 1 && port <= 65535) {
      proxy.Host = s.ProxyServer.trimmed();
      proxy.Port = port;
      proxy.User = s.ProxyUser;
      proxy.Password = s.ProxyPasswd;
    } else {
      c.Prompts->ShowStandardError(QStringLiteral("'%1' n'est pas un port de proxy valide : connexion directe.")
                                       .arg(s.ProxyPort));
    }
  }
  c.Http->SetProxy(proxy);

  // Connection test, in both tuner modes.
  if (c.Loader->Tuner.Mode == QLatin1String("remote"))
    c.Prompts->Balloon(QStringLiteral("Connexion à Internet ..."), false, 1000);
  result.Connected = c.Http->ServerReachable(c.ServerBase + QStringLiteral("version.xml"));
  if (result.Connected) {
    c.Prompts->Balloon(QStringLiteral("Connexion OK."), false, 1000);
  } else {
    c.Prompts->Balloon(
        QStringLiteral("Erreur lors de la connexion à internet : vérifiez vos paramètres de connexion."), true, 1000);
  }

  // The update descriptor. A damaged one is reported and treated as absent: the
  // catalogue still loads from the copies already here.
  if (result.Connected) {
    const QString local = c.DataFolder + QStringLiteral("version.xml");
    c.Http->DownloadIfNewer(c.ServerBase + QStringLiteral("version.xml"), local);
    const TUpdateDescriptor d = ReadUpdateDescriptor(local);
    if (d.Ok) {
      result.ServerVersion = d.ServerVersion;
      result.DownloadUrl = d.DownloadUrl;
      for (const QString& t : d.Tuners) result.RemoteTuners.append(ResolveTunerAddress(c.ServerBase, t));
      if (!result.RemoteTuners.isEmpty()) c.Loader->Tuner.RemoteBase = result.RemoteTuners.first();
    } else {
      c.Prompts->ShowStandardError(d.Error);
    }
  }

  c.Loader->FirstLoad(result.Connected);

  if (c.ProgramVersion < result.ServerVersion &&
      c.Prompts->Confirm(QStringLiteral("Une version plus récente est disponible, voulez-vous visiter le site web "
                                        "pour plus d'informations ?"))) {
    c.Prompts->OpenUrl(result.DownloadUrl);
  }
  return result;
}
