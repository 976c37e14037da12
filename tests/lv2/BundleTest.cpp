// The bundle as lilv (and so Ardour, Carla, jalv) reads it: what
// lv2_validate does not check about ports, scale points and presets.
#include <gtest/gtest.h>
#include <lilv/lilv.h>
#include <lv2/presets/presets.h>
#include <lv2/ui/ui.h>

#include <cmath>
#include <cstring>
#include <set>
#include <string>

#include "effect/FactoryPresets.h"
#include "lv2/BrumeLv2Ids.h"

namespace {

class Bundle : public ::testing::Test {
 protected:
  void SetUp() override {
    world_ = lilv_world_new();
    LilvNode* bundle = lilv_new_file_uri(world_, nullptr, BRUME_LV2_BUNDLE_PATH "/");
    lilv_world_load_bundle(world_, bundle);
    lilv_node_free(bundle);
    LilvNode* uri = lilv_new_uri(world_, brume_lv2::kPluginUri);
    plugin_ = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(world_), uri);
    lilv_node_free(uri);
    ASSERT_NE(plugin_, nullptr);
  }
  void TearDown() override { lilv_world_free(world_); }
  LilvWorld* world_ = nullptr;
  const LilvPlugin* plugin_ = nullptr;
};

TEST_F(Bundle, EveryControlPortHasItsDefaultInRangeAndLabelledUniqueScalePoints) {
  ASSERT_EQ(lilv_plugin_get_num_ports(plugin_), brume_lv2::kPortCount);
  std::set<std::string> symbols;
  for (uint32_t p = brume_lv2::kFirstParameterPort; p < brume_lv2::kPortCount; ++p) {
    const LilvPort* port = lilv_plugin_get_port_by_index(plugin_, p);
    const std::string symbol = lilv_node_as_string(lilv_port_get_symbol(plugin_, port));
    EXPECT_EQ(symbol, kParameterIdentifiers[brume_lv2::ParameterOfPort(p)] + 1);
    symbols.insert(symbol);
    LilvNode *def = nullptr, *min = nullptr, *max = nullptr;
    lilv_port_get_range(plugin_, port, &def, &min, &max);
    ASSERT_TRUE(def && min && max) << symbol;
    EXPECT_LT(lilv_node_as_float(min), lilv_node_as_float(max)) << symbol;
    EXPECT_GE(lilv_node_as_float(def), lilv_node_as_float(min)) << symbol;
    EXPECT_LE(lilv_node_as_float(def), lilv_node_as_float(max)) << symbol;
    lilv_node_free(def), lilv_node_free(min), lilv_node_free(max);

    LilvScalePoints* points = lilv_port_get_scale_points(plugin_, port);
    std::set<std::string> labels;
    std::set<float> values;
    LILV_FOREACH(scale_points, i, points) {
      const LilvScalePoint* point = lilv_scale_points_get(points, i);
      const LilvNode* label = lilv_scale_point_get_label(point);
      ASSERT_TRUE(label && std::strlen(lilv_node_as_string(label)) > 0) << symbol;
      labels.insert(lilv_node_as_string(label));
      const float value = lilv_node_as_float(lilv_scale_point_get_value(point));
      EXPECT_EQ(value, std::floor(value)) << symbol << ": enumerations hold exact integers";
      values.insert(value);
    }
    const unsigned count = points ? lilv_scale_points_size(points) : 0;
    EXPECT_EQ(labels.size(), count) << symbol << ": a label appears twice";
    EXPECT_EQ(values.size(), count) << symbol;
    lilv_scale_points_free(points);
  }
  EXPECT_EQ(symbols.size(), static_cast<size_t>(kParameterCount));
}

TEST_F(Bundle, FactoryProgramsArePresetsAndTheUiIsAnX11Ui) {
  LilvNode* presetClass = lilv_new_uri(world_, LV2_PRESETS__Preset);
  LilvNodes* presets = lilv_plugin_get_related(plugin_, presetClass);
  EXPECT_EQ(lilv_nodes_size(presets), static_cast<unsigned>(kFactoryPresetCount));
  lilv_nodes_free(presets);
  lilv_node_free(presetClass);

  LilvUIs* uis = lilv_plugin_get_uis(plugin_);
  ASSERT_EQ(lilv_uis_size(uis), 1u);
  const LilvUI* ui = lilv_uis_get(uis, lilv_uis_begin(uis));
  EXPECT_STREQ(lilv_node_as_uri(lilv_ui_get_uri(ui)), brume_lv2::kUiUri);
  LilvNode* x11 = lilv_new_uri(world_, LV2_UI__X11UI);
  EXPECT_TRUE(lilv_ui_is_a(ui, x11));
  const std::string binary = lilv_node_as_uri(lilv_ui_get_binary_uri(ui));
  EXPECT_EQ(binary.substr(binary.size() - std::strlen(brume_lv2::kUiBinary)), brume_lv2::kUiBinary);
  lilv_node_free(x11);
  lilv_uis_free(uis);
}

}  // namespace
