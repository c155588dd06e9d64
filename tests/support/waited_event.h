// One event as the event queue hands it out: its number, the object and window it concerns and
// its type. Platform-free.
#pragma once

#include <cstdint>
#include <ostream>

struct WaitedEvent {
  int32_t event;
  intptr_t object;
  intptr_t window;
  int32_t type;
  bool operator==(const WaitedEvent& o) const {
    return event == o.event && object == o.object && window == o.window && type == o.type;
  }
};

inline std::ostream& operator<<(std::ostream& os, const WaitedEvent& e) {
  return os << "{" << e.event << ", obj " << e.object << ", win " << e.window << ", type " << e.type
            << "}";
}
