#include <fcntl.h>
#include <io.h>
#include <malloc.h>
#include <windows.h>

#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>

#include "platform/Process.hpp"

namespace trel::quorlinsrv::platform {

std::string programDirectory() {
  char path[MAX_PATH * 4];
  DWORD length = GetModuleFileNameA(nullptr, path, sizeof(path));
  if (length == 0 || length >= sizeof(path))
    return ".";
  std::string exe(path, length);
  return exe.substr(0, exe.find_last_of("/\\"));
}

namespace {
bool colours = false;
}  // namespace

void prepareConsole() {
  // Lines end in a line feed as on Linux, also in messages and reports written to a file.
  _setmode(1, _O_BINARY);
  _setmode(2, _O_BINARY);
  SetConsoleOutputCP(CP_UTF8);
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  DWORD mode = 0;
  colours =
      GetConsoleMode(out, &mode) && SetConsoleMode(out, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
}

bool standardOutputShowsColour() {
  return colours;
}

bool processEnded(long pid) {
  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(pid));
  if (process == nullptr)
    return GetLastError() == ERROR_INVALID_PARAMETER;  // no such process
  bool ended = WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
  CloseHandle(process);
  return ended;
}

// A pipe cannot be waited for with a deadline on Windows: a thread of its own reads it and hands
// the pieces over.
struct StandardStreams::Reader {
  std::mutex lock;
  std::condition_variable arrived;
  std::deque<std::string> pieces;
  bool ended = false;
  bool failed = false;
};

StandardStreams::StandardStreams() : reader_(new Reader) {
  _setmode(0, _O_BINARY);
  _setmode(1, _O_BINARY);
  // The reader lives as long as the process: a thread blocked in ReadFile cannot be joined.
  std::thread([reader = reader_] {
    HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    for (;;) {
      std::string piece(64 * 1024, '\0');
      DWORD got = 0;
      BOOL ok = ReadFile(input, piece.data(), static_cast<DWORD>(piece.size()), &got, nullptr);
      std::lock_guard<std::mutex> guard(reader->lock);
      if (!ok || got == 0) {
        reader->ended = true;
        reader->failed = !ok && GetLastError() != ERROR_BROKEN_PIPE;
        reader->arrived.notify_all();
        return;
      }
      piece.resize(got);
      reader->pieces.push_back(std::move(piece));
      reader->arrived.notify_all();
    }
  }).detach();
}

StandardStreams::~StandardStreams() = default;  // the reader is left to the thread

int StandardStreams::waitForInput(std::chrono::milliseconds wait) {
  std::unique_lock<std::mutex> guard(reader_->lock);
  bool ready = reader_->arrived.wait_for(
      guard, wait, [&] { return !reader_->pieces.empty() || reader_->ended; });
  return ready ? 1 : 0;
}

long StandardStreams::read(char* buffer, std::size_t size) {
  std::unique_lock<std::mutex> guard(reader_->lock);
  reader_->arrived.wait(guard, [&] { return !reader_->pieces.empty() || reader_->ended; });
  if (reader_->pieces.empty())
    return reader_->failed ? -1 : 0;
  std::string& piece = reader_->pieces.front();
  std::size_t n = std::min(size, piece.size());
  std::memcpy(buffer, piece.data(), n);
  if (n == piece.size())
    reader_->pieces.pop_front();
  else
    piece.erase(0, n);
  return static_cast<long>(n);
}

bool StandardStreams::write(const std::string& bytes) {
  HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
  for (std::size_t done = 0; done < bytes.size();) {
    DWORD written = 0;
    DWORD piece = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
    if (!WriteFile(output, bytes.data() + done, piece, &written, nullptr) || written == 0)
      return false;
    done += written;
  }
  return true;
}

void releaseFreedMemory() {
  _heapmin();
}

}  // namespace trel::quorlinsrv::platform
