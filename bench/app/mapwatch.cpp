// mapwatch: the moment a window of a given size is mapped on the X display, for the
// start-time benchmark. It listens to the root window's structure events, so it costs
// nothing while it waits (polling with a tool every few milliseconds would steal the
// processor from the program being timed).
//
//   mapwatch WIDTH HEIGHT SECONDS
//
// Prints "ready" once it listens, then, when a top-level window of WIDTH x HEIGHT is
// mapped, the time of that event (CLOCK_REALTIME, nanoseconds, as `date +%s%N`) and
// ends with 0; ends with 1 after SECONDS without one.
#include <poll.h>
#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {

long long NowNs() {
  timespec t;
  clock_gettime(CLOCK_REALTIME, &t);
  return static_cast<long long>(t.tv_sec) * 1000000000LL + t.tv_nsec;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: mapwatch WIDTH HEIGHT SECONDS\n");
    return 2;
  }
  const int width = std::atoi(argv[1]), height = std::atoi(argv[2]);
  const long long deadline = NowNs() + std::atoll(argv[3]) * 1000000000LL;
  xcb_connection_t* c = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(c)) {
    std::fprintf(stderr, "mapwatch: no X display\n");
    return 2;
  }
  const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
  const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
  xcb_request_check(c, xcb_change_window_attributes_checked(c, root, XCB_CW_EVENT_MASK, &mask));
  std::printf("ready\n");
  std::fflush(stdout);

  pollfd fd{xcb_get_file_descriptor(c), POLLIN, 0};
  while (NowNs() < deadline) {
    xcb_generic_event_t* e = xcb_poll_for_event(c);
    if (!e) {
      if (xcb_connection_has_error(c)) return 2;
      poll(&fd, 1, 100);
      continue;
    }
    const long long at = NowNs();
    if ((e->response_type & 0x7f) == XCB_MAP_NOTIFY) {
      const auto* map = reinterpret_cast<xcb_map_notify_event_t*>(e);
      xcb_get_geometry_reply_t* g = xcb_get_geometry_reply(c, xcb_get_geometry(c, map->window), nullptr);
      const bool match = g && g->width == width && g->height == height;
      std::free(g);
      if (match) {
        std::printf("%lld\n", at);
        std::free(e);
        xcb_disconnect(c);
        return 0;
      }
    }
    std::free(e);
  }
  xcb_disconnect(c);
  return 1;
}
