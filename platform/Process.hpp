// The program's process: where it lies, its console, and the standard input and output of the
// language server with the watch of its client.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>

namespace trel::quorlinsrv::platform {

// The directory of the running program, resolved through symbolic links; "." when unknown.
std::string programDirectory();

// Sets up the console for the program's output: UTF-8, line feeds kept as they are, and on
// Windows the escape sequences of colours, where the console takes them.
void prepareConsole();

// Whether standard output is a terminal that shows colours.
bool standardOutputShowsColour();

// Whether the process `pid` has ended (false while it runs, or when that cannot be told).
bool processEnded(long pid);

// Standard input and output as the language server uses them: raw bytes, waited for with a
// deadline, a broken pipe reported as a failed write rather than a signal.
class StandardStreams {
 public:
  StandardStreams();
  ~StandardStreams();
  StandardStreams(const StandardStreams&) = delete;
  StandardStreams& operator=(const StandardStreams&) = delete;

  // 1 when input is ready (or at its end), 0 after `wait` without any, -1 on failure.
  int waitForInput(std::chrono::milliseconds wait);
  // Up to `size` bytes of input; 0 at its end, -1 on failure.
  long read(char* buffer, std::size_t size);
  // Writes all of `bytes`; false when the output is gone.
  bool write(const std::string& bytes);

 private:
  struct Reader;
  Reader* reader_ = nullptr;  // Windows: the thread that reads the pipe
};

// Gives memory that was freed back to the system, where the allocator keeps it otherwise.
void releaseFreedMemory();

}  // namespace trel::quorlinsrv::platform
