// The bit rate of an MPEG audio file (".mp3", ".mp2") from its first frame header.
//
// A frame header starts with 0xFF followed by a byte whose three high bits are set. The
// search starts after a leading ID3v2 tag, so bytes of a cover picture are not taken
// for a header, and gives up when the header would end within the last 128 bytes (where
// an ID3v1 tag lies). Header byte 1 gives the version (bits 0x18) and layer (0x06),
// byte 2 the bit-rate index (high 4 bits) into the tables of ISO/IEC 11172-3 (MPEG 1)
// and ISO/IEC 13818-3 (MPEG 2 and 2.5).
#pragma once

#include <QString>
#include <cstdint>

class TByteSource;

struct InfosMPEG {
  int64_t FileSize = 0;
  int64_t HeaderPosition = 0;  // offset of the frame header used; 0 = none found
  QString Version;  // "MPEG 1.0", "MPEG 2.0", "MPEG 2.5" or "Reserved"
  QString Layer;    // "Layer 1", "Layer 2", "Layer 3" or "Reserved"
  QString BitRate;  // kbit/s text such as "128", or "free" / "bad"; empty for a reserved
                    // layer or when no header was found
};

// FileSize is 0 and nothing else is set when the file cannot be opened.
InfosMPEG ReadMPEGInfo(const QString& path);
InfosMPEG ReadMPEGInfo(const TByteSource& source);
