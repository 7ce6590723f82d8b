#include <gtest/gtest.h>

#include <fstream>
#include <stdexcept>

#include "sim/nas_sim/options.h"

namespace {

std::string ErrorOf(const std::vector<std::string>& args) {
  try {
    nas_sim::ParseOptions(args);
  } catch (const std::runtime_error& e) {
    return e.what();
  }
  return "";
}

TEST(NasSimOptions, OneBoxFromTheCommandLine) {
  const nas_sim::Options o =
      nas_sim::ParseOptions({"--name", "NAS-9", "--address", "10.0.0.9", "--password", "pw", "--disks", "raid1-ext3",
                             "--fault", "delay=250", "--fault", "tcp=chunks", "--log", "requests.jsonl"});
  ASSERT_EQ(o.boxes.size(), 1u);
  const sim::BoxConfig& c = o.boxes[0].config;
  EXPECT_EQ(c.model_name, "NAS-9");
  EXPECT_EQ(c.address, sim::Ipv4Of("10.0.0.9"));
  EXPECT_EQ(c.admin_password, "pw");
  EXPECT_EQ(c.disks.Count(), 2);
  EXPECT_EQ(c.faults.reply_delay_ms, 250u);
  EXPECT_EQ(c.faults.tcp_shape, sim::TcpShape::kChunks);
  EXPECT_EQ(o.log_file, "requests.jsonl");
  EXPECT_TRUE(nas_sim::ParseOptions({"--help"}).help);
}

TEST(NasSimOptions, BadInputIsNamed) {
  const struct {
    std::vector<std::string> args;
    std::string error;
  } cases[] = {
      {{"--address", "10.0.0"}, "not an IPv4 address: '10.0.0'"},
      {{"--mac", "00:11"}, "not a MAC address (XX:XX:XX:XX:XX:XX): '00:11'"},
      {{"--disks", "raid5-ext3"}, "unknown disk layout 'raid5-ext3'"},
      {{"--fault", "explode"}, "unknown fault 'explode'"},
      {{"--fault", "delay=soon"}, "delay needs a number, not 'soon'"},
      {{"--fault", "tcp=sideways"},
       "unknown TCP shape 'sideways' (whole, refuse, silent, chunks, close300, oversize, drip)"},
      {{"--name"}, "--name needs a value"},
      {{"--frobnicate"}, "unknown option '--frobnicate' (see --help)"},
      {{"--config", "/nonexistent/boxes.json"}, "cannot read the configuration file '/nonexistent/boxes.json'"},
  };
  for (const auto& c : cases) EXPECT_EQ(ErrorOf(c.args), c.error);
}

TEST(NasSimOptions, SeveralBoxesFromAFileEachWithAnAddress) {
  const std::string path = testing::TempDir() + "nas_sim_boxes.json";
  std::ofstream(path) << R"({"boxes": [{"name": "a", "address": "10.0.0.2", "faults": {"silent": true}},
                                      {"name": "b", "address": "10.0.0.3", "operation_mode": 2}]})";
  const nas_sim::Options o = nas_sim::ParseOptions({"--config", path});
  ASSERT_EQ(o.boxes.size(), 2u);
  EXPECT_TRUE(o.boxes[0].config.faults.silent);
  EXPECT_EQ(o.boxes[1].config.operation_mode, 2);
  std::ofstream(path) << R"({"boxes": [{"name": "a"}, {"name": "b"}]})";
  EXPECT_EQ(ErrorOf({"--config", path}), "with several boxes, each needs its own --address");
  std::ofstream(path) << R"({"boxes": [{"nmae": "a"}]})";
  EXPECT_EQ(ErrorOf({"--config", path}), "unknown box key \"nmae\"");
}

}  // namespace
