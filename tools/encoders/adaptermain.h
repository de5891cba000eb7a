// The shared body of the encoder adapters: read a WAV stream, encode it, write the file.
#pragma once

#include <string>

#include "avfileencoder.h"

// Encodes the WAV stream `input` ("-" = standard input) into `output` with `settings`.
// Messages go to standard error, prefixed with `program`. Returns the process exit
// status: 0 on success, 1 on bad input or any failure.
int EncodeWavToFile(const char* program, const std::string& input, const std::string& output,
                    const AvFileEncoder::Settings& settings);

// Parses a bit rate in kbit/s ("192") into bits per second; 0 when not a number in 8-1536.
long ParseKbps(const char* text);
