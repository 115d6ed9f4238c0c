#pragma once

#include <stdexcept>
#include <string>

namespace tempiko {

// A failure that carries a message text for the user. One that reaches the window's message
// loop is shown in an error box captioned with the application title.
class Exception : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The silent abort: it ends the current handler and nobody shows a message for it.
class EAbort : public Exception {
 public:
  EAbort() : Exception("Operation aborted") {}
};

}  // namespace tempiko
