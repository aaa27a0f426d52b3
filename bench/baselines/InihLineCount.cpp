// inih-line-count: the floor of a real reader. Parses a config file with inih and counts its
// sections and key=value pairs; prints both and the line number of the first error inih saw.
#include <ini.h>

#include <cstdio>
#include <string>

namespace {

struct Counts {
  unsigned long long sections = 0;
  unsigned long long pairs = 0;
  std::string section;  // the section of the last pair
};

// Called by inih once per key=value pair, with the section in force.
int countPair(void* user, const char* section, const char* name, const char* value) {
  auto* counts = static_cast<Counts*>(user);
  ++counts->pairs;
  // inih reports no section of its own, so a section counts when its first pair arrives.
  if (counts->pairs == 1 || counts->section != section) {
    counts->section = section;
    ++counts->sections;
  }
  (void)name;
  (void)value;
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: inih-line-count CONFIG\n");
    return 2;
  }
  Counts counts;
  const int firstError = ini_parse(argv[1], &countPair, &counts);
  if (firstError < 0) {
    std::fprintf(stderr, "inih-line-count: cannot read %s\n", argv[1]);
    return 1;
  }
  std::printf("sections=%llu\npairs=%llu\nfirst_error_line=%d\n", counts.sections, counts.pairs,
              firstError);
  return 0;
}
