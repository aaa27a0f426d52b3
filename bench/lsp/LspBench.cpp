// The language server in this process on a generated document with its DP list: how long after
// the last of a burst of changes its diagnostics are published, and the resident memory before
// and after many edits, each validated.
//
//   quorlin-bench-lsp [--blocks 10000] [--edits 10000] [--bursts 20]
#include <time.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <nlohmann/json.hpp>
#include <thread>

#include "bench/gen/ConfigGenerator.hpp"
#include "lsp/LanguageServer.hpp"

using namespace trel::quorlinsrv;
using Json = nlohmann::json;

namespace {

constexpr std::chrono::milliseconds kDebounce = lsp::LanguageServer::kDebounce;

long residentKiB() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.compare(0, 6, "VmRSS:") == 0)
      return std::stol(line.substr(6));
  }
  return -1;
}

double threadCpuMs() {
  timespec now;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

struct Session {
  lsp::LanguageServer server;
  std::size_t published = 0;
  std::size_t lastCount = 0;
  std::string uri = "file:///bench/generated.cfg";
  long version = 0;

  Session(const ModuleSession& module)
      : server(
            module,
            [this](const std::string& body) {
              Json message = Json::parse(body);
              if (message.value("method", "") == "textDocument/publishDiagnostics") {
                ++published;
                lastCount = message["params"]["diagnostics"].size();
              }
            },
            kDebounce) {}

  void send(const std::string& method, Json params) {
    server.handle(
        Json{{"jsonrpc", "2.0"}, {"method", method}, {"params", std::move(params)}}.dump());
  }
  void change(const std::string& text) {
    send("textDocument/didChange", {{"textDocument", {{"uri", uri}, {"version", ++version}}},
                                    {"contentChanges", {{{"text", text}}}}});
  }
  double cpuMs = 0;  // processor time of the last awaitDiagnostics()

  // Runs the server's timer loop until the next publication; the time it took.
  std::chrono::duration<double, std::milli> awaitDiagnostics() {
    auto start = lsp::Clock::now();
    double cpuStart = threadCpuMs();
    std::size_t before = published;
    while (published == before) {
      std::optional<lsp::Clock::duration> due = server.validateDue(lsp::Clock::now());
      if (!due && published == before)
        throw std::logic_error("no validation is due, none was published");
      if (due)
        std::this_thread::sleep_for(*due);
    }
    cpuMs = threadCpuMs() - cpuStart;
    return lsp::Clock::now() - start;
  }
};

}  // namespace

int main(int argc, char** argv) {
  bench::GeneratorOptions options;
  std::size_t edits = 10000, bursts = 20;
  CLI::App app{"Latency and memory of quorlin-validate --lsp on a generated document"};
  app.add_option("--blocks", options.blocks, "blocks of the document")->capture_default_str();
  app.add_option("--edits", edits, "edits, each validated, for the memory figure")
      ->capture_default_str();
  app.add_option("--bursts", bursts, "bursts of typing for the latency figure")
      ->capture_default_str();
  CLI11_PARSE(app, argc, argv);

  bench::GeneratedSet set = bench::planSet(options);
  bench::ConfigCounts counts;
  std::string text = bench::configText(set, counts);
  char dir[] = "/tmp/quorlin-bench-lsp-XXXXXX";
  if (!mkdtemp(dir))
    return 1;
  std::string dpList = std::string(dir) + "/plant.dpl";
  std::ofstream(dpList) << bench::dpListText(set);

  std::string error;
  std::unique_ptr<ModuleSession> module = ModuleSession::open(QUORLIN_MODULE_PATH, error);
  if (!module) {
    std::cerr << error << '\n';
    return 1;
  }
  Session session(*module);
  session.server.handle(Json{{"jsonrpc", "2.0"},
                             {"id", 1},
                             {"method", "initialize"},
                             {"params", {{"initializationOptions", {{"dpLists", {dpList}}}}}}}
                            .dump());
  session.send("textDocument/didOpen",
               {{"textDocument", {{"uri", session.uri}, {"version", 0}, {"text", text}}}});
  session.awaitDiagnostics();
  std::printf("document: %llu blocks, %llu lines, %llu bytes, %zu diagnostics\n",
              static_cast<unsigned long long>(counts.blocks),
              static_cast<unsigned long long>(counts.lines),
              static_cast<unsigned long long>(counts.bytes), session.lastCount);

  // A burst: five keystrokes 10 ms apart that break and mend the first "property=" value.
  const std::size_t at = text.find("property=") + 9;
  std::vector<double> latencies, cpu;
  for (std::size_t b = 0; b < bursts; ++b) {
    std::string edited = text;
    for (int key = 0; key < 5; ++key) {
      edited.insert(at, "x");
      session.change(key == 4 ? text : edited);
      if (key == 4)
        break;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
      session.server.validateDue(lsp::Clock::now());
    }
    latencies.push_back(session.awaitDiagnostics().count());
    cpu.push_back(session.cpuMs);
  }
  std::sort(latencies.begin(), latencies.end());
  std::sort(cpu.begin(), cpu.end());
  // On a machine that other work shares the wall time grows; the debounce plus the processor
  // time of the validation is what an idle machine shows.
  std::printf(
      "processor time of the validation after the last change: median %.1f ms, max %.1f "
      "ms; with the debounce: %.1f ms\n",
      cpu[cpu.size() / 2], cpu.back(), kDebounce.count() + cpu.back());
  std::printf(
      "last change to diagnostics (debounce %lld ms included): median %.1f ms, max %.1f ms "
      "over %zu bursts: %s (target: median 50 ms)\n",
      static_cast<long long>(kDebounce.count()), latencies[latencies.size() / 2], latencies.back(),
      latencies.size(), latencies[latencies.size() / 2] <= 50 ? "met" : "NOT met");

  // Memory: the first edits settle the allocator; the rest must not move it.
  const std::size_t warmUp = std::min<std::size_t>(100, edits);
  long before = 0;
  for (std::size_t i = 0; i < edits; ++i) {
    if (i == warmUp)
      before = residentKiB();
    std::string edited = text;
    edited.insert(at, std::to_string(i % 97));
    session.change(i % 2 ? text : edited);
    // Validated at once: waiting out the debounce 10,000 times would only add idle time.
    std::size_t published = session.published;
    session.server.validateDue(lsp::Clock::now() + kDebounce);
    if (session.published != published + 1) {
      std::cerr << "edit " << i << " was not validated\n";
      return 1;
    }
  }
  long after = residentKiB();
  std::printf(
      "resident memory after %zu validated edits: %ld KiB, after the first %zu: %ld KiB, "
      "growth %ld KiB: %s (target: under 1024 KiB)\n",
      edits, after, warmUp, before, after - before, after - before < 1024 ? "met" : "NOT met");
  unlink(dpList.c_str());
  rmdir(dir);
  return 0;
}
