#include "support/bench_support.h"

#include <malloc.h>
#include <sys/wait.h>
#include <unicode/unistr.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "support/gedcom_generator.h"

namespace stirpex::bench {

namespace {

// A field of /proc/self/status in bytes ("VmRSS:  1234 kB"); -1 when absent.
long long StatusBytes(const char* field) {
  std::ifstream in("/proc/self/status");
  std::string line;
  const std::size_t n = std::strlen(field);
  while (std::getline(in, line)) {
    if (line.compare(0, n, field) == 0 && line.size() > n && line[n] == ':') {
      return std::atoll(line.c_str() + n + 1) * 1024;
    }
  }
  return -1;
}

}  // namespace

std::filesystem::path BenchDataDir() {
  return STIRPEX_BENCH_DATA_DIR;
}

std::filesystem::path SyntheticGedcom(std::uint64_t people, std::uint64_t seed, bool rich) {
  const std::filesystem::path path =
      BenchDataDir() / (std::string(rich ? "synthetic-rich-" : "synthetic-") + SizeLabel(people) +
                        "-s" + std::to_string(seed) + ".ged");
  std::error_code ec;
  if (std::filesystem::is_regular_file(path, ec)) return path;
  std::fprintf(stderr, "making %s ...\n", path.c_str());
  GeneratorOptions options;
  options.people = people;
  options.seed = seed;
  options.rich = rich;
  if (!WriteSyntheticGedcomFile(options, path)) {
    std::fprintf(stderr, "cannot write %s\n", path.c_str());
    return {};
  }
  return path;
}

std::filesystem::path Utf16Copy(const std::filesystem::path& utf8_file) {
  const std::filesystem::path path =
      utf8_file.parent_path() / (utf8_file.stem().string() + "-utf16le.ged");
  std::error_code ec;
  if (std::filesystem::is_regular_file(path, ec)) return path;
  std::fprintf(stderr, "making %s ...\n", path.c_str());
  std::ifstream in(utf8_file, std::ios::binary);
  const std::filesystem::path part = path.string() + ".part";
  std::ofstream out(part, std::ios::binary | std::ios::trunc);
  out.write("\xFF\xFE", 2);
  std::string text, bytes;
  std::vector<char> block(1 << 20);
  while (in && out) {
    in.read(block.data(), static_cast<std::streamsize>(block.size()));
    text.append(block.data(), static_cast<std::size_t>(in.gcount()));
    // Up to the last whole character; the rest waits for the next block.
    std::size_t end = text.size();
    if (in) {
      while (end > 0 && (static_cast<unsigned char>(text[end - 1]) & 0xC0) == 0x80) --end;
      if (end > 0 && static_cast<unsigned char>(text[end - 1]) >= 0xC0) --end;
    }
    const icu::UnicodeString units =
        icu::UnicodeString::fromUTF8(icu::StringPiece(text.data(), static_cast<int32_t>(end)));
    bytes.clear();
    for (int32_t i = 0; i < units.length(); ++i) {
      const char16_t unit = units.charAt(i);
      bytes += static_cast<char>(unit & 0xFF);
      bytes += static_cast<char>(unit >> 8);
    }
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    text.erase(0, end);
    if (in.gcount() == 0) break;
  }
  out.close();
  if (!out || in.bad()) {
    std::filesystem::remove(part, ec);
    std::fprintf(stderr, "cannot write %s\n", path.c_str());
    return {};
  }
  std::filesystem::rename(part, path, ec);
  return ec ? std::filesystem::path() : path;
}

long long PeakMemoryIncrease(const std::function<void()>& work) {
  int fds[2];
  if (::pipe(fds) != 0) return -1;
  std::fflush(nullptr);
  const pid_t child = ::fork();
  if (child < 0) {
    ::close(fds[0]);
    ::close(fds[1]);
    return -1;
  }
  if (child == 0) {
    ::close(fds[0]);
    // Free memory the parent's heap kept would be reused without growing the resident set:
    // give it back first. A forked process also inherits its parent's peak: start the peak
    // again from the present.
    ::malloc_trim(0);
    long long before = -1;
    if (std::FILE* clear = std::fopen("/proc/self/clear_refs", "w")) {
      const bool written = std::fputs("5", clear) >= 0;
      if (std::fclose(clear) == 0 && written) before = StatusBytes("VmRSS");
    }
    work();
    const long long peak = StatusBytes("VmHWM");
    const long long increase = before < 0 || peak < 0 ? -1 : peak - before;
    const ssize_t written = ::write(fds[1], &increase, sizeof increase);
    ::_exit(written == sizeof increase ? 0 : 1);
  }
  ::close(fds[1]);
  long long increase = -1;
  const ssize_t got = ::read(fds[0], &increase, sizeof increase);
  ::close(fds[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  if (got != sizeof increase || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
  return increase;
}

std::vector<std::uint64_t> ParseSizeList(const std::string& text) {
  std::vector<std::uint64_t> sizes;
  std::istringstream in(text);
  std::string item;
  while (std::getline(in, item, ',')) {
    if (item.empty()) return {};
    std::uint64_t factor = 1;
    if (item.back() == 'k' || item.back() == 'K') factor = 1000;
    if (item.back() == 'm' || item.back() == 'M') factor = 1000000;
    if (factor != 1) item.pop_back();
    char* end = nullptr;
    const unsigned long long n = std::strtoull(item.c_str(), &end, 10);
    if (item.empty() || *end != '\0' || n == 0) return {};
    sizes.push_back(n * factor);
  }
  return sizes;
}

std::string SizeLabel(std::uint64_t n) {
  if (n % 1000000 == 0) return std::to_string(n / 1000000) + "M";
  if (n % 1000 == 0) return std::to_string(n / 1000) + "k";
  return std::to_string(n);
}

}  // namespace stirpex::bench
