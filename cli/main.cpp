// quorlin-validate: checks QuorlinServer config files against a data point configuration read
// from DP list exports, with the module loaded the way the host loads it.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <map>
#include <new>
#include <optional>

#include "cli/ExitCodes.hpp"
#include "common/DpListReader.hpp"
#include "common/Findings.hpp"
#include "common/Formats.hpp"
#include "common/Hints.hpp"
#include "common/ModuleSession.hpp"
#include "common/ProjectFile.hpp"
#include "host/DpConfiguration.hpp"
#include "host/ErrHdl.hpp"
#include "lsp/LanguageServer.hpp"
#include "platform/Files.hpp"
#include "platform/MemoryFile.hpp"
#include "platform/OutputFile.hpp"
#include "platform/Process.hpp"

using namespace trel::quorlinsrv;

namespace {

constexpr const char* kProgram = "quorlin-validate";

struct Options {
  std::vector<std::string> configs;
  std::vector<std::string> dpLists;
  // Without --dp-list: the project file of each CONFIG (by index) and what each one holds.
  std::vector<std::string> projectOfConfig;
  std::map<std::string, ProjectFile> projects;
  bool errorsOnly = false;
  std::string format = "text";
  std::string output;
  std::string stdinFilename = "<stdin>";
  std::string color = "auto";
  bool quiet = false;
  bool verbose = false;
  std::string list;
  std::string regExp;
  bool checkRegExp = false;
  std::string module;
  bool version = false;
  bool lsp = false;
};

const std::map<std::string, Format> kFormats = {{"text", Format::kText},
                                                {"json", Format::kJson},
                                                {"sarif", Format::kSarif},
                                                {"github", Format::kGithub}};
const std::vector<std::string> kColors = {"always", "auto", "never"};
const std::map<std::string, ScriptFunction> kLists = {{"directions", kAllowedDirections},
                                                      {"data-types", kAllowedDataTypes},
                                                      {"time-types", kAllowedTimeTypes}};

int fail(const std::string& message) {
  std::cerr << kProgram << ": " << message << '\n';
  return kExitFailure;
}

namespace fs = std::filesystem;

std::string realPath(const std::string& path) {
  std::error_code error;
  fs::path resolved = fs::canonical(fs::u8path(path), error);
  return error ? path : resolved.u8string();
}

bool isFile(const std::string& path) {
  std::error_code error;
  return fs::is_regular_file(fs::u8path(path), error);
}

// The installed module (the library directory relative to the program's), one beside the
// program, and in the build tree the module built with it.
std::string defaultModulePath(std::string& tried) {
  std::string dir = platform::programDirectory() + static_cast<char>(fs::path::preferred_separator);
  std::vector<std::string> candidates = {dir + QUORLIN_MODULE_FILE_NAME};
  if (std::string(QUORLIN_BIN_TO_LIB) != ".")  // Windows: the module lies beside the program
    candidates.insert(candidates.begin(), dir + QUORLIN_BIN_TO_LIB "/" QUORLIN_MODULE_FILE_NAME);
  if (realPath(dir) == realPath(QUORLIN_BUILD_PROGRAM_DIR))
    candidates.push_back(QUORLIN_BUILD_MODULE_PATH);
  for (const std::string& candidate : candidates) {
    if (isFile(candidate))
      return candidate;
    tried += (tried.empty() ? "" : ", ") + candidate;
  }
  return "";
}

std::unique_ptr<ModuleSession> openModule(const Options& options, std::string& error) {
  std::string path = options.module;
  if (path.empty()) {
    std::string tried;
    path = defaultModulePath(tried);
    if (path.empty()) {
      error = "no module found beside the program (tried " + tried + "); name one with --module";
      return nullptr;
    }
  }
  return ModuleSession::open(path, error);
}

// What a non-regular file is, for the message that refuses it.
const char* fileKind(fs::file_type type) {
  switch (type) {
    case fs::file_type::directory:
      return "a directory";
    case fs::file_type::fifo:
      return "a FIFO";
    case fs::file_type::character:
    case fs::file_type::block:
      return "a device";
    case fs::file_type::socket:
      return "a socket";
    default:
      return "not a regular file";
  }
}

// "" for a CONFIG the module may read (a regular file, or a missing one, which the module
// reports), else why it is not read: a directory, FIFO or device could block or make no sense.
std::string refuseConfig(const std::string& config) {
  std::error_code error;
  fs::file_status status = fs::status(fs::u8path(config), error);
  if (fs::exists(status) && !fs::is_regular_file(status))
    return config + ": error: " + fileKind(status.type()) + ", not a regular file";
  return "";
}

void printSummaries(const std::vector<DpListSummary>& summaries) {
  for (const DpListSummary& summary : summaries) {
    std::cerr << summary.file << ": " << summary.types << " types, " << summary.dataPoints
              << " data points, " << summary.aliases << " aliases";
    if (summary.repeatedRows > 0)
      std::cerr << ", " << summary.repeatedRows << " repeated rows";
    std::cerr << '\n';
    if (summary.leftOutInternal > 0) {
      std::cerr << summary.file << ": left out " << summary.leftOutInternal
                << " internal data points whose types the DP lists do not define\n";
    }
    for (const std::string& name : summary.leftOutOther) {
      std::cerr << summary.file << ": left out data point " << name
                << ": its type is not defined by any DP list\n";
    }
    for (const std::string& note : summary.notes)
      std::cerr << note << '\n';
  }
}

// Loads the DP lists `files` into the host's data point configuration, and their names into
// `hints`.
bool loadDataPointConfiguration(const std::vector<std::string>& files, bool verbose,
                                std::unique_ptr<HintSources>& hints, std::string& error) {
  std::vector<DpList> lists(files.size());
  for (std::size_t i = 0; i < lists.size(); ++i) {
    if (!readDpListFile(files[i], lists[i], error))
      return false;
  }
  std::vector<DpListSummary> summaries;
  DpConfiguration& config = DpConfiguration::instance();
  config.clear();
  if (!loadDpLists(lists, config, summaries, error))
    return false;
  if (verbose)
    printSummaries(summaries);
  hints = std::make_unique<HintSources>(config);
  return true;
}

bool useColor(const Options& options) {
  if (options.color != "auto")
    return options.color == "always";
  const char* noColor = std::getenv("NO_COLOR");
  const char* term = std::getenv("TERM");
  return (options.output.empty() || options.output == "-") &&
         platform::standardOutputShowsColour() && !(noColor && *noColor) &&
         !(term && std::string(term) == "dumb");
}

// The allowed words of the module for the hints at unknown words.
bool addAllowedWords(const ModuleSession& module, HintSources& hints, std::string& error) {
  for (const auto& [attribute, function] : kAllowedWordsFunctions) {
    std::vector<std::string> words;
    if (!module.allowedNames(function, words, error))
      return false;
    hints.setAllowedWords(std::string(attributeRow(attribute).resultKey), std::move(words));
  }
  return true;
}

// Validates one CONFIG ("-": standard input) into `file`, with the positions of its findings.
// The config is read once, into a memory file: the module reads it from there, and positions and
// hints are found in the same bytes. False, with `error` set, when the module call failed.
bool validateConfig(const Options& options, const ModuleSession& module, const std::string& config,
                    HintSources& hints, FileReport& file, std::string& error) {
  FileOutcome outcome;
  // Only the JSON output shows the blocks without findings: the others ask for none.
  bool errorsOnly = options.errorsOnly || kFormats.at(options.format) != Format::kJson;
  bool fromStdin = config == "-";
  MemoryFile memory;
  int readError = fromStdin ? memory.appendStandardInput() : memory.appendFile(config);
  if (readError == 0 || fromStdin) {
    if (!module.validate(memory.path(), errorsOnly, outcome, error,
                         &(fromStdin ? options.stdinFilename : config)))
      return false;
  } else if (!module.validate(config, errorsOnly, outcome, error)) {
    // What the module makes of a file that cannot be read is its own answer.
    return false;
  }
  file = makeFileReport(std::move(outcome));
  if (file.findings.empty())
    return true;
  std::string wordsError;  // without the words the hints at unknown words are left out
  if (!hints.hasAllowedWords())
    addAllowedWords(module, hints, wordsError);
  annotateFindings(readError == 0 || fromStdin ? memory.bytes() : "", hints, file.findings);
  if (readError != 0 && !fromStdin && file.outcome.errMsg == kFailedToOpen &&
      !file.findings.empty()) {
    // The module says no more; the system's reason helps (missing, permission).
    file.findings.back().notes.push_back(
        Note{std::string("cannot open it: ") + std::strerror(readError), ""});
  }
  return true;
}

// Validates every CONFIG; one that cannot be read is reported and the others are still validated.
int runValidation(const Options& options, const ModuleSession& module,
                  std::unique_ptr<HintSources>& hints, std::ostream& out, bool& keepOutput) {
  Report header;
  header.programName = kProgram;
  header.programVersion = QUORLIN_VERSION;
  header.moduleVersion = module.version();
  std::unique_ptr<FormatWriter> writer = makeFormatWriter(
      kFormats.at(options.format), header, TextStyle{useColor(options), options.quiet}, out);
  RunTotals totals;
  bool anyFindings = false;
  bool anyRefused = false;
  std::string error;
  std::string loadedProject;  // the project file whose DP lists are loaded
  for (std::size_t i = 0; i < options.configs.size(); ++i) {
    const std::string& config = options.configs[i];
    if (!options.projects.empty() && options.projectOfConfig[i] != loadedProject) {
      loadedProject = options.projectOfConfig[i];
      if (options.verbose)
        std::cerr << "project file: " << loadedProject << '\n';
      if (!loadDataPointConfiguration(options.projects.at(loadedProject).dpLists, options.verbose,
                                      hints, error))
        return fail(error);
    }
    error = config == "-" ? "" : refuseConfig(config);
    if (!error.empty()) {
      fail(error);
      anyRefused = true;
      continue;
    }
    FileReport file;
    if (!validateConfig(options, module, config, *hints, file, error))
      return fail(error);
    anyFindings = anyFindings || !file.findings.empty();
    writer->file(file);
    ++totals.files;
    totals.blocks += file.counts.blocks;
    totals.withFindings += file.counts.withFindings;
  }
  writer->finish(totals);
  keepOutput = true;
  return anyRefused ? kExitFailure : anyFindings ? kExitFindings : kExitValid;
}

int runQuery(const Options& options, const ModuleSession& module, std::ostream& out) {
  std::string error;
  if (options.checkRegExp) {
    bool valid = false;
    std::string message;
    if (!module.checkRegExp(options.regExp, valid, message, error))
      return fail(error);
    if (!message.empty())
      out << message << '\n';
    return valid ? kExitValid : kExitFindings;
  }
  std::vector<std::string> names;
  if (!module.allowedNames(kLists.at(options.list), names, error))
    return fail(error);
  for (const std::string& name : names)
    out << name << '\n';
  return kExitValid;
}

// Accepts the words (a map's keys); the type name of the option already lists them in the help.
template <typename Words>
CLI::Validator oneOf(const Words& words) {
  return CLI::IsMember(words).description("");
}

void defineOptions(CLI::App& app, Options& options) {
  app.add_option("CONFIG", options.configs,
                 "Config files to validate, in this order; - reads standard input (default: the "
                 "configs of the .quorlin-validate.toml above the working directory)")
      ->type_name("");
  app.add_option("--dp-list", options.dpLists,
                 "DP list export with the types, data points and aliases to check against "
                 "(repeatable; default: the dp-lists of the nearest .quorlin-validate.toml above "
                 "each CONFIG, else above the working directory)")
      ->type_name("FILE")
      ->expected(1)
      ->allow_extra_args(false)
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
  app.add_option("--stdin-filename", options.stdinFilename,
                 "The name that a CONFIG read from standard input (-) has in findings "
                 "(default: <stdin>)")
      ->type_name("NAME");
  app.add_flag("--errors-only", options.errorsOnly,
               "JSON: let the module return only the blocks with findings (the other formats "
               "always do)");
  // Defaults are said in the descriptions: the shell completion reads the value words as listed.
  app.add_option("--format", options.format, "Output format (default: text)")
      ->check(oneOf(kFormats))
      ->type_name("text|json|sarif|github");
  app.add_option(
         "--output", options.output,
         "Write the output to FILE, complete or not at all; never a file that is an input or "
         "ends like one (.cfg, .dpl); - is standard output (the default)")
      ->type_name("FILE");
  app.add_option(
         "--color", options.color,
         "Colour of the text format (default auto: on a terminal unless NO_COLOR or TERM=dumb)")
      ->check(oneOf(kColors))
      ->type_name("auto|always|never");
  app.add_flag("-q,--quiet", options.quiet,
               "Text format: findings and their notes only, no summary lines");
  app.add_flag("-v,--verbose", options.verbose,
               "Tell on standard error what was read from each DP list and which module runs");
  app.add_option("--list", options.list, "Print the words the module allows, one per line")
      ->check(oneOf(kLists))
      ->type_name("directions|data-types|time-types");
  app.add_option("--check-regexp", options.regExp,
                 "Check that PATTERN is a valid regular expression (exit 0 or 1)")
      ->type_name("PATTERN");
  app.add_option("--module", options.module,
                 "The module to load (default: the one installed or built beside the program)")
      ->type_name("PATH");
  app.add_flag("--version", options.version, "Print the program's and the module's version");
  app.add_flag("--lsp", options.lsp,
               "Serve the language server protocol on standard input and output (for editors)");
}

// Runs everything after the command line was parsed; what goes to standard output lands in `out`.
int run(const Options& options, std::ostream& out, bool& keepOutput) {
  std::unique_ptr<HintSources> hints;
  bool query = !options.list.empty() || options.checkRegExp;
  if (!options.list.empty() && options.checkRegExp)
    return fail("--list and --check-regexp cannot be combined");
  if (query && !options.configs.empty())
    return fail("--list and --check-regexp take no CONFIG");
  std::string error;
  if (!options.version && !query && !options.lsp) {
    if (options.configs.empty())
      return fail("no CONFIG to validate (see --help)");
    if (options.dpLists.empty() && options.projects.empty())
      return fail("--dp-list FILE is needed to validate (see --help)");
    if (std::count(options.configs.begin(), options.configs.end(), "-") > 1)
      return fail("standard input (-) can be read only once");
    if (options.projects.empty() &&
        !loadDataPointConfiguration(options.dpLists, options.verbose, hints, error))
      return fail(error);
  }
  std::unique_ptr<ModuleSession> module = openModule(options, error);
  if (!module)
    return fail(error);
  if (options.verbose)
    std::cerr << "module: " << module->path() << ", version " << module->version() << '\n';
  if (options.lsp)
    return lsp::runLanguageServer(*module);
  if (options.version) {
    out << kProgram << ' ' << QUORLIN_VERSION << '\n'
        << "module " << module->version() << ' ' << module->path() << '\n';
    keepOutput = true;
    return kExitValid;
  }
  if (!query)
    return runValidation(options, *module, hints, out, keepOutput);
  keepOutput = true;
  return runQuery(options, *module, out);
}

// The project file of each CONFIG, found from its directory upward and then from the working
// directory, and what each one holds. False, with `error` set, when one is missing or malformed.
bool findProjectFiles(Options& options, std::string& error) {
  for (const std::string& config : options.configs) {
    std::string named = config == "-" ? options.stdinFilename : config;
    std::optional<std::string> found = findProjectFile(platform::directoryOf(named));
    if (!found)
      found = findProjectFile(".");
    if (!found) {
      error = std::string("--dp-list FILE is needed to validate ") + named + ": no " +
              kProjectFileName + " above it or the working directory names one (see --help)";
      return false;
    }
    options.projectOfConfig.push_back(*found);
    try {
      if (options.projects.count(*found) == 0)
        options.projects.emplace(*found, readProjectFile(*found));
    } catch (const ProjectFileError& malformed) {
      error = malformed.what();
      return false;
    }
  }
  return true;
}

// Without CONFIG: the configs that the project file above the working directory names, shown
// relative to it when they lie below it. False, with `error` set, for a malformed project file or
// a pattern that matches no file.
bool addProjectConfigs(Options& options, std::string& error) {
  std::optional<std::string> found = findProjectFile(".");
  if (!found)
    return true;
  try {
    options.configs = projectConfigs(readProjectFile(*found));
  } catch (const ProjectFileError& malformed) {
    error = malformed.what();
    return false;
  }
  std::string here = realPath(".");
  if (std::strchr(platform::kPathSeparators, here.back()) == nullptr)
    here += static_cast<char>(fs::path::preferred_separator);
  for (std::string& config : options.configs) {
    if (config.compare(0, here.size(), here) == 0)
      config.erase(0, here.size());
  }
  return true;
}

// Extensions of the inputs named on the command line (a config read from standard input by the
// name it is given), which an output path must not end in.
std::vector<std::string> inputsByExtension(const Options& options) {
  std::vector<std::string> inputs = options.dpLists;
  for (const auto& [path, project] : options.projects)
    inputs.insert(inputs.end(), project.dpLists.begin(), project.dpLists.end());
  for (const std::string& config : options.configs)
    inputs.push_back(config == "-" ? options.stdinFilename : config);
  return inputs;
}

// Everything after the command line was parsed: validation or query, written as it is produced to
// standard output or to a file that appears only when the run succeeded.
int runAndWrite(Options& options) {
  // The module reports refused calls to the host's error handler: show them, never swallow them.
  ErrHdl::setSink([](const ErrClass& error) {
    std::cerr << kProgram << ": host error: " << error.toLine() << '\n';
  });
  std::string error;
  bool validating = !options.version && options.list.empty() && !options.checkRegExp;
  if (validating && !options.lsp && options.configs.empty() && !addProjectConfigs(options, error))
    return fail(error);
  if (validating && options.dpLists.empty() && !findProjectFiles(options, error))
    return fail(error);
  if (!options.output.empty() && options.output != "-") {
    std::vector<std::string> byExtension = inputsByExtension(options);
    std::vector<std::string> inputs = byExtension;
    for (const auto& [path, project] : options.projects)
      inputs.push_back(path);
    error = refuseOutput(options.output, inputs, byExtension);
    if (!error.empty())
      return fail(error);
  }
  std::unique_ptr<OutputDestination> destination = OutputDestination::open(options.output, error);
  if (!destination)
    return fail(error);
  std::ostream& out = destination->stream();
  bool keepOutput = false;
  int code = run(options, out, keepOutput);
  if (!keepOutput)
    return code;  // the temporary file goes with the destination, the target stays as it was
  if (!destination->finish(error))
    return fail(error);
  return code;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{
      "Checks QuorlinServer config files against a data point configuration, with the "
      "module that the host loads.",
      kProgram};
  platform::prepareConsole();
  Options options;
  defineOptions(app, options);
  app.allow_windows_style_options(false);  // "/x" is a path, on Windows as well
  // The manual page replaces this footer (its EXAMPLES section, which help2man extends to the end)
  // with sections of its own.
  app.footer(
      "Examples:\n"
      "  quorlin-validate --dp-list plant.dpl config/*.cfg\n"
      "  git show :config/a.cfg | quorlin-validate --stdin-filename config/a.cfg -\n"
      "  quorlin-validate --format sarif --output report.sarif config/*.cfg\n"
      "\n"
      "Exit codes:\n"
      "  0  every CONFIG is valid (or a query succeeded)\n"
      "  1  some CONFIG has findings; --check-regexp: the pattern does not compile\n"
      "  2  the check could not run: usage error, a DP list or project file that cannot be read,\n"
      "     a CONFIG that is no regular file, --output naming an input, a module that fails");
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return app.exit(e) == 0 ? kExitValid : kExitFailure;
  }
  options.checkRegExp = app.count("--check-regexp") > 0;  // the PATTERN may be ""
  try {
    return runAndWrite(options);
  } catch (const std::bad_alloc&) {
    // Said without allocating: there may be no memory left for a message.
    static const char kOutOfMemory[] = "quorlin-validate: out of memory\n";
    std::fwrite(kOutOfMemory, 1, sizeof(kOutOfMemory) - 1, stderr);
    return kExitFailure;
  } catch (const std::exception& e) {
    return fail(std::string("internal error: ") + e.what());
  }
}
