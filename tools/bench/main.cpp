// The project's benchmark: how fast the wizard's window appears and what it costs at rest, each
// figure beside a reference measured in the same run. See the README.
//
// usage: orvo-bench <wizard program> <bare SDL2 window program> [runs]
// Needs an X display ($DISPLAY); scripts/bench gives it a private one when there is none.

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "child.h"
#include "whole_setup.h"
#include "wizard/forms/forms.h"
#include "x_session.h"

namespace fs = std::filesystem;

namespace {

constexpr int64_t kMs = 1'000'000;

// Window coordinates of what the idle measurement clicks on the main window.
constexpr int kFirstRowX = 84, kFirstRowY = 164;
constexpr int kNextX = 588, kNextY = 408;
constexpr int kPasswordX = 313, kPasswordY = 130;

struct Start {
  double mapped_ms = 0;
  double picture_ms = 0;
};

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

std::string LoadAverage() {
  std::ifstream file("/proc/loadavg");
  std::string one, five, fifteen;
  file >> one >> five >> fifteen;
  return one + " " + five + " " + fifteen;
}

// Starts the program and follows its first top-level window: when it is mapped, and when the
// strip near its top first shows what it shows a second later (its first picture). `then`
// runs with the program still up.
Start StartOnce(XSession& x, const std::vector<std::string>& argv, const std::vector<std::string>& env,
                const std::function<void(Child&, unsigned long window)>& then = nullptr) {
  x.Watch();
  const int64_t t0 = NowNs();
  Child child(argv, env);
  const auto mapped = x.WaitForMap(t0 + 30'000 * kMs);
  if (!mapped) throw std::runtime_error(argv[0] + ": no window within 30 s");
  std::vector<std::pair<int64_t, std::optional<uint64_t>>> samples;
  while (NowNs() < mapped->at_ns + 1'000 * kMs) {
    samples.emplace_back(NowNs(), x.TopStrip(mapped->window));
    SleepMs(1);
  }
  const std::optional<uint64_t> final_strip = samples.back().second;
  int64_t picture_at = samples.back().first;
  for (auto it = samples.rbegin(); it != samples.rend() && it->second == final_strip; ++it) picture_at = it->first;
  Start start{static_cast<double>(mapped->at_ns - t0) / kMs, static_cast<double>(picture_at - t0) / kMs};
  if (then) then(child, mapped->window);
  return start;
}

struct Starts {
  double mapped_ms, picture_ms;
};
Starts MedianStart(XSession& x, int runs, const std::vector<std::string>& argv, const std::vector<std::string>& env) {
  std::vector<double> mapped, picture;
  for (int i = 0; i < runs; ++i) {
    const Start s = StartOnce(x, argv, env);
    mapped.push_back(s.mapped_ms);
    picture.push_back(s.picture_ms);
    SleepMs(200);
  }
  return {Median(mapped), Median(picture)};
}

struct Rest {
  double resident_mb = 0;
  double cpu_percent = 0;
  bool caret_blinks = false;
};

// Resident memory a second after the window appeared, and CPU over 10 s after that.
Rest AtRest(XSession& x, const std::vector<std::string>& argv, const std::vector<std::string>& env, bool to_caret) {
  Rest rest;
  StartOnce(x, argv, env, [&](Child& child, unsigned long window) {
    rest.resident_mb = static_cast<double>(child.ResidentBytes()) / (1024.0 * 1024.0);
    if (to_caret) {
      // The first box of the list, Next, then the new password's field, whose caret blinks.
      int left = 0, top = 0;
      x.Origin(window, left, top);
      SleepMs(2500);  // the discovery round ends
      x.Click(left + kFirstRowX, top + kFirstRowY);
      SleepMs(300);
      x.Click(left + kNextX, top + kNextY);
      SleepMs(1500);
      x.Click(left + kPasswordX, top + kPasswordY);
      x.MovePointer(left + 600, top + 200);
      SleepMs(300);
      std::vector<uint64_t> looks;
      for (int i = 0; i < 12; ++i) {
        if (auto look = x.Region(window, kPasswordX - 50, kPasswordY - 7, 110, 14)) looks.push_back(*look);
        SleepMs(100);
      }
      std::sort(looks.begin(), looks.end());
      rest.caret_blinks = std::unique(looks.begin(), looks.end()) - looks.begin() >= 2;
    }
    const uint64_t cpu_before = child.CpuNs();
    const int64_t wall_before = NowNs();
    SleepMs(10'000);
    const uint64_t cpu_after = child.CpuNs();
    rest.cpu_percent = 100.0 * static_cast<double>(cpu_after - cpu_before) / static_cast<double>(NowNs() - wall_before);
  });
  return rest;
}

// A copy of the wizard beside a language file of `bytes`: the shipped sections after further
// languages that fill the file up, so the reader passes them all.
fs::path WizardWithLargeLanguageFile(const fs::path& wizard, const fs::path& folder, size_t bytes) {
  fs::create_directories(folder);
  const fs::path copy = folder / wizard.filename();
  fs::copy_file(wizard, copy, fs::copy_options::overwrite_existing);
  std::ifstream shipped_file(wizard.parent_path() / "Quillmere.ini", std::ios::binary);
  std::stringstream shipped;
  shipped << shipped_file.rdbuf();
  const std::string text = shipped.str();
  const size_t english = text.find("[English]");
  const size_t english_end = text.find("\n[", english + 1);
  const std::string english_body =
      text.substr(english + 9, english_end == std::string::npos ? std::string::npos : english_end - english - 9);
  std::ofstream out(folder / "Quillmere.ini", std::ios::binary);
  size_t written = 0;
  for (int n = 1; written + text.size() < bytes; ++n) {
    const std::string section = "[Language " + std::to_string(n) + "]" + english_body;
    out << section;
    written += section.size();
  }
  out << text;
  return copy;
}

void Row(const std::string& what, const std::string& figure, const std::string& reference,
         const std::string& reference_is) {
  std::printf("| %-56s | %10s | %10s | %-26s |\n", what.c_str(), figure.c_str(), reference.c_str(),
              reference_is.c_str());
}

std::string Fixed(double value, int decimals, const char* unit) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f%s", decimals, value, unit);
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3 || argc > 4) {
    std::fprintf(stderr, "usage: orvo-bench <wizard program> <bare SDL2 window program> [runs]\n");
    return 2;
  }
  const fs::path wizard = fs::absolute(argv[1]);
  const std::string bare = fs::absolute(argv[2]).string();
  const int runs = argc == 4 ? std::atoi(argv[3]) : 7;
  char pattern[] = "/tmp/orvo-bench.XXXXXX";
  if (!mkdtemp(pattern)) {
    std::perror("orvo-bench: temporary folder");
    return 1;
  }
  const fs::path temp = pattern;
  // The wizard's emulated services write their state into a folder of the benchmark's own.
  const std::vector<std::string> env = {"ORVO_WORLD=sim", "XDG_STATE_HOME=" + (temp / "state").string()};
  int code = 0;
  try {
    const std::string load_before = LoadAverage();
    XSession x;
    const Starts wizard_start = MedianStart(x, runs, {wizard.string()}, env);
    const Starts bare_start = MedianStart(x, runs, {bare}, {});
    const fs::path large = WizardWithLargeLanguageFile(wizard, temp / "large", 1 << 20);
    const Starts large_start = MedianStart(x, runs, {large.string()}, env);
    const Rest wizard_rest = AtRest(x, {wizard.string()}, env, true);
    const Rest bare_rest = AtRest(x, {bare}, {}, false);
    RegisterWizardForms();
    const SetupTimes setup = RunWholeSetup(temp.string());
    const std::string load_after = LoadAverage();

    const std::string medians = ", median of " + std::to_string(runs);
    Row("measure", "wizard", "reference", "the reference is");
    std::printf("|%s|%s|%s|%s|\n", std::string(58, '-').c_str(), std::string(12, '-').c_str(),
                std::string(12, '-').c_str(), std::string(28, '-').c_str());
    Row("exec to mapped window" + medians, Fixed(wizard_start.mapped_ms, 1, " ms"),
        Fixed(bare_start.mapped_ms, 1, " ms"), "a bare SDL2 window");
    Row("exec to first picture on it" + medians, Fixed(wizard_start.picture_ms, 1, " ms"),
        Fixed(bare_start.picture_ms, 1, " ms"), "a bare SDL2 window");
    Row("resident memory 1 s after the window appeared", Fixed(wizard_rest.resident_mb, 1, " MB"),
        Fixed(bare_rest.resident_mb, 1, " MB"), "a bare SDL2 window");
    Row(wizard_rest.caret_blinks ? "idle CPU over 10 s, caret blinking"
                                 : "idle CPU over 10 s (caret NOT seen blinking)",
        Fixed(wizard_rest.cpu_percent, 2, " %"), Fixed(bare_rest.cpu_percent, 2, " %"), "a bare SDL2 window");
    Row((setup.reached_last_page ? "whole simulated set-up, wall / virtual = "
                                 : "set-up NOT finished, wall / virtual = ") +
            Fixed(setup.wall_ms / setup.virtual_ms, 4, ""),
        Fixed(setup.wall_ms, 0, " ms"), Fixed(setup.virtual_ms / 1000, 1, " s"), "its virtual time");
    Row("exec to mapped window, 1 MB language file" + medians, Fixed(large_start.mapped_ms, 1, " ms"),
        Fixed(wizard_start.mapped_ms, 1, " ms"), "the shipped language file");
    std::printf("\nload average (1, 5, 15 min): %s before, %s after; %ld processors\n", load_before.c_str(),
                load_after.c_str(), sysconf(_SC_NPROCESSORS_ONLN));
  } catch (const std::exception& e) {
    std::fprintf(stderr, "orvo-bench: %s\n", e.what());
    code = 1;
  }
  fs::remove_all(temp);
  return code;
}
