#include "app/enginestart.h"

#include <cstdio>

bool EngineVersionMatches(uint32_t version) {
  return (version >> 16) == zengine::kExpectedVersionHigh;
}

QString WrongEngineVersionText() {
  return QStringLiteral("Une version incorrecte de BASS.DLL a été chargée !");
}

TEngineStart StartEngine(zengine::OutputKind kind) {
  if (!EngineVersionMatches(zengine::GetVersion())) return {TEngineStart::WrongVersion, 0};
  if (!zengine::Init(-1, 44100, kind)) return {TEngineStart::OutputFailed, zengine::ErrorGetCode()};
  if (!zengine::RecordInit(-1)) {
    const int code = zengine::ErrorGetCode();
    zengine::Free();
    return {TEngineStart::RecordFailed, code};
  }
  for (const char* plugin : {"wma", "aac", "ac3", "cd"}) zengine::PluginLoad(plugin);
  const zengine::CodecReport report = zengine::GetCodecReport();
  if (!report.missing.empty()) {
    std::string names;
    for (const auto& name : report.missing) names += (names.empty() ? "" : ", ") + name;
    std::fprintf(stderr, "zovalis: codecs absents de FFmpeg : %s\n", names.c_str());
  }
  zengine::SetConfig(zengine::Option::NetTimeout, 5000);
  zengine::SetConfig(zengine::Option::NetPrebuffer, 0);
  zengine::SetConfig(zengine::Option::NetPlaylist, 1);
  zengine::SetConfig(zengine::Option::WmaAsx, 1);
  zengine::SetConfig(zengine::Option::WmaPrebuffer, 0);
  zengine::SetConfig(zengine::Option::WmaBassFile, 1);
  return {};
}

void EndEngine() {
  if (zengine::IsInitialised()) zengine::Free();
  zengine::RecordFree();
}
