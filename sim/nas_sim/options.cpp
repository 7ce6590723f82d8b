#include "sim/nas_sim/options.h"

#include <fstream>
#include <nlohmann/json.hpp>
#include <stdexcept>

namespace nas_sim {
namespace {

using nlohmann::json;

[[noreturn]] void Fail(const std::string& message) { throw std::runtime_error(message); }

std::array<uint8_t, 6> ParseMac(const std::string& text) {
  std::array<uint8_t, 6> mac{};
  unsigned v[6];
  char tail;
  if (std::sscanf(text.c_str(), "%2x:%2x:%2x:%2x:%2x:%2x%c", &v[0], &v[1], &v[2], &v[3], &v[4], &v[5], &tail) != 6) {
    Fail("not a MAC address (XX:XX:XX:XX:XX:XX): '" + text + "'");
  }
  for (size_t i = 0; i < 6; ++i) mac[i] = static_cast<uint8_t>(v[i]);
  return mac;
}

sim::Ipv4 ParseAddress(const std::string& text) {
  const std::optional<sim::Ipv4> a = sim::ParseIpv4(text);
  if (!a) Fail("not an IPv4 address: '" + text + "'");
  return *a;
}

// none | one | two | std-ext2 | std-ext3 | std-std-ext3 | jbod-ext3 | raid0-ext2 | raid1-ext3 ...
sim::Disks ParseDisks(const std::string& text) {
  using sim::Bay;
  using K = sim::VolumeKind;
  if (text == "none") return sim::Disks::None();
  if (text == "one") return sim::Disks::OneUnformatted();
  if (text == "two") return sim::Disks({Bay{true}, Bay{true}});
  const size_t dash = text.rfind('-');
  const std::string kind = dash == std::string::npos ? "" : text.substr(0, dash);
  const std::string fs_word = dash == std::string::npos ? "" : text.substr(dash + 1);
  sim::FileSystem fs;
  if (fs_word == "ext2") {
    fs = sim::FileSystem::kExt2;
  } else if (fs_word == "ext3") {
    fs = sim::FileSystem::kExt3;
  } else {
    Fail("unknown disk layout '" + text + "'");
  }
  if (kind == "std") return sim::Disks({Bay{true, K::kStandard, fs}, Bay{}});
  if (kind == "std-std") return sim::Disks({Bay{true, K::kStandard, fs}, Bay{true, K::kStandard, fs}});
  const K array = kind == "jbod" ? K::kJbod : kind == "raid0" ? K::kRaid0 : kind == "raid1" ? K::kRaid1 : K::kNone;
  if (array == K::kNone) Fail("unknown disk layout '" + text + "'");
  return sim::Disks({Bay{true, array, fs}, Bay{true, array, fs}});
}

sim::TcpShape ParseShape(const std::string& text) {
  if (text == "whole") return sim::TcpShape::kWhole;
  if (text == "refuse") return sim::TcpShape::kRefuse;
  if (text == "silent") return sim::TcpShape::kSilent;
  if (text == "chunks") return sim::TcpShape::kChunks;
  if (text == "close300") return sim::TcpShape::kCloseAfter300;
  if (text == "oversize") return sim::TcpShape::kOversize600;
  if (text == "drip") return sim::TcpShape::kDrip;
  Fail("unknown TCP shape '" + text + "' (whole, refuse, silent, chunks, close300, oversize, drip)");
}

int Number(const std::string& name, const std::string& value) {
  try {
    size_t used = 0;
    const int n = std::stoi(value, &used);
    if (used == value.size() && n >= 0) return n;
  } catch (const std::exception&) {
  }
  Fail(name + " needs a number, not '" + value + "'");
}

// One fault switch "name" or "name=value".
void ApplyFault(sim::BoxFaults& f, const std::string& name, const std::string& value) {
  auto flag = [&] {
    if (!value.empty() && value != "true") Fail("fault " + name + " takes no value");
    return true;
  };
  if (name == "silent") {
    f.silent = flag();
  } else if (name == "delay") {
    f.reply_delay_ms = static_cast<uint32_t>(Number(name, value));
  } else if (name == "wrong-id") {
    f.wrong_transaction_id = flag();
  } else if (name == "wrong-direction") {
    f.wrong_direction = flag();
  } else if (name == "wrong-mac") {
    f.wrong_mac = flag();
  } else if (name == "error-class") {
    f.error_class = static_cast<uint8_t>(Number(name, value));
  } else if (name == "opcode31") {
    f.disk_reply_opcode_31 = flag();
  } else if (name == "duplicates") {
    f.duplicate_replies = Number(name, value);
  } else if (name == "unmatched-status") {
    f.unmatched_disk_status = flag();
  } else if (name == "damaged-disk") {
    f.damaged_disk = flag();
  } else if (name == "never-return") {
    f.never_return_after_reboot = flag();
  } else if (name == "tcp") {
    f.tcp_shape = ParseShape(value);
  } else if (name == "chunk-gap") {
    f.tcp_chunk_gap_ms = static_cast<uint32_t>(Number(name, value));
  } else {
    Fail("unknown fault '" + name + "'");
  }
}

std::string JsonText(const json& v) { return v.is_string() ? v.get<std::string>() : v.dump(); }

BoxSetup BoxFromJson(const json& j) {
  if (!j.is_object()) Fail("each box of the configuration is an object");
  BoxSetup setup;
  for (const auto& [key, v] : j.items()) {
    if (key == "name") {
      setup.name = v.get<std::string>();
    } else if (key == "model") {
      setup.config.model_name = v.get<std::string>();
    } else if (key == "address") {
      setup.address = v.get<std::string>();
    } else if (key == "mask") {
      setup.config.mask = ParseAddress(v.get<std::string>());
    } else if (key == "mac") {
      setup.config.mac = ParseMac(v.get<std::string>());
    } else if (key == "password") {
      setup.config.admin_password = v.get<std::string>();
    } else if (key == "host_name") {
      setup.config.host_name = v.get<std::string>();
    } else if (key == "dhcp") {
      setup.config.dhcp = v.get<bool>();
    } else if (key == "configured") {
      setup.config.configured_before = v.get<bool>();
    } else if (key == "operation_mode") {
      setup.config.operation_mode = static_cast<uint8_t>(v.get<int>());
    } else if (key == "disks") {
      setup.config.disks = ParseDisks(v.get<std::string>());
    } else if (key == "format_seconds") {
      setup.config.format_duration_ms = v.get<uint32_t>() * 1000;
    } else if (key == "reboot_seconds") {
      setup.config.reboot_duration_ms = v.get<uint32_t>() * 1000;
    } else if (key == "faults") {
      if (!v.is_object()) Fail("\"faults\" is an object of switches");
      for (const auto& [name, value] : v.items()) {
        if (value.is_boolean() && !value.get<bool>()) continue;
        ApplyFault(setup.config.faults, name, value.is_boolean() ? "" : JsonText(value));
      }
    } else {
      Fail("unknown box key \"" + key + "\"");
    }
  }
  return setup;
}

void ReadConfig(const std::string& path, Options& options) {
  std::ifstream in(path);
  if (!in) Fail("cannot read the configuration file '" + path + "'");
  try {
    const json j = json::parse(in);
    if (j.contains("log")) options.log_file = j.at("log").get<std::string>();
    if (!j.contains("boxes") || !j.at("boxes").is_array()) Fail(path + ": needs \"boxes\", an array");
    for (const json& b : j.at("boxes")) options.boxes.push_back(BoxFromJson(b));
  } catch (const json::exception& e) {
    Fail(path + ": " + e.what());
  }
}

}  // namespace

const char* Usage() {
  return "usage: nas-sim [options]\n"
         "Runs one simulated Orvo NAS box (or several) on the host's network: UDP 9999 with\n"
         "broadcast reception, TCP 9998. Every request received is logged as one JSON line.\n"
         "\n"
         "  --config FILE      boxes from a JSON file: {\"log\": FILE, \"boxes\": [{\"name\": ...,\n"
         "                     \"address\": ..., \"mask\", \"mac\", \"password\", \"host_name\", \"dhcp\",\n"
         "                     \"configured\", \"operation_mode\", \"disks\", \"format_seconds\",\n"
         "                     \"reboot_seconds\", \"faults\": {\"silent\": true, \"delay\": 200, ...}}]}\n"
         "  --name NAME        model name (default NAS-220)\n"
         "  --address A.B.C.D  answer only on this address of the host (default: every address;\n"
         "                     the box then reports the address, mask and gateway of the\n"
         "                     interface each request came in on, the gateway as its DNS)\n"
         "  --mask A.B.C.D     the box's subnet mask (default 255.255.255.0)\n"
         "  --mac XX:..:XX     the box's MAC address\n"
         "  --password TEXT    administrator password (default: none, a factory-fresh box)\n"
         "  --disks LAYOUT     none, one, two (no volume), std-ext3, std-std-ext2, jbod-ext3,\n"
         "                     raid0-ext2, raid1-ext3, ... (default none)\n"
         "  --format-seconds N, --reboot-seconds N   how long formatting and a reboot take\n"
         "  --fault NAME[=V]   silent, delay=MS, wrong-id, wrong-direction, wrong-mac,\n"
         "                     error-class=N, opcode31, duplicates=N, unmatched-status,\n"
         "                     damaged-disk, never-return, tcp=whole|refuse|silent|chunks|\n"
         "                     close300|oversize|drip, chunk-gap=MS (the pause of chunks,\n"
         "                     the gap between the bytes of drip) (repeatable)\n"
         "  --log FILE         write the JSON lines to FILE instead of standard output\n"
         "  --help             this text\n"
         "Stops on SIGINT or SIGTERM.\n";
}

Options ParseOptions(const std::vector<std::string>& args) {
  Options options;
  BoxSetup single;
  bool single_given = false;
  std::string config;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--help" || a == "-h") {
      options.help = true;
      return options;
    }
    auto value = [&]() -> std::string {
      if (i + 1 >= args.size()) Fail(a + " needs a value");
      return args[++i];
    };
    if (a == "--config") {
      config = value();
      continue;
    }
    if (a == "--log") {
      options.log_file = value();
      continue;
    }
    single_given = true;
    if (a == "--name") {
      single.name = value();
      single.config.model_name = single.name;
    } else if (a == "--address") {
      single.address = value();
    } else if (a == "--mask") {
      single.config.mask = ParseAddress(value());
    } else if (a == "--mac") {
      single.config.mac = ParseMac(value());
    } else if (a == "--password") {
      single.config.admin_password = value();
    } else if (a == "--disks") {
      single.config.disks = ParseDisks(value());
    } else if (a == "--format-seconds") {
      single.config.format_duration_ms = static_cast<uint32_t>(Number(a, value())) * 1000;
    } else if (a == "--reboot-seconds") {
      single.config.reboot_duration_ms = static_cast<uint32_t>(Number(a, value())) * 1000;
    } else if (a == "--fault") {
      const std::string f = value();
      const size_t eq = f.find('=');
      ApplyFault(single.config.faults, f.substr(0, eq), eq == std::string::npos ? "" : f.substr(eq + 1));
    } else {
      Fail("unknown option '" + a + "' (see --help)");
    }
  }
  if (!config.empty()) {
    if (single_given) Fail("give the boxes either in --config or as options, not both");
    ReadConfig(config, options);
    if (options.boxes.empty()) Fail(config + ": no boxes");
  } else {
    options.boxes.push_back(single);
  }
  for (BoxSetup& b : options.boxes) {
    if (b.name.empty()) b.name = b.config.model_name;
    b.config.address = ParseAddress(b.address);
  }
  if (options.boxes.size() > 1) {
    for (const BoxSetup& b : options.boxes) {
      if (b.address == "0.0.0.0") Fail("with several boxes, each needs its own --address");
    }
  }
  return options;
}

}  // namespace nas_sim
