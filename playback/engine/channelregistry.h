// The table of live channels, by handle. Handles count up from 1 and are not reused
// within a run, so a stale handle fails with kErrHandle instead of reaching another
// channel. Any thread.
#pragma once

#include <memory>

#include "playback/engine/channel.h"
#include "playback/engine/engine.h"

namespace zengine {

// Adds a channel made by the caller and starts it; returns its handle.
Handle RegisterChannel(std::shared_ptr<Channel> channel);
// The channel of a handle, or null with kErrHandle as the last error.
std::shared_ptr<Channel> FindChannel(Handle handle);
// Takes a channel out of the table; null when unknown.
std::shared_ptr<Channel> UnregisterChannel(Handle handle);
// Frees every channel and aborts the URL streams still connecting (engine Free).
void FreeAllChannels();

// Aborts every StreamCreateURL in progress: each returns soon, failing with kErrInit.
// Defined with StreamCreateURL (stream_url.cpp).
void AbortConnectingStreams();

}  // namespace zengine
