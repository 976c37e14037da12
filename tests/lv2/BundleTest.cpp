// The bundle as lilv (and so Ardour, Carla, jalv) reads it: what
// lv2_validate does not check about ports, scale points and presets.
#include <gtest/gtest.h>
#include <lilv/lilv.h>
#include <lv2/atom/atom.h>
#include <lv2/presets/presets.h>
#include <lv2/ui/ui.h>
#include <lv2/units/units.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>

#include "effect/FactoryPresets.h"
#include "effect/ParameterTable.h"
#include "lv2/BrumeLv2Ids.h"
#include "tests/lv2/Lv2Host.h"

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
  for (uint32_t p = brume_lv2::kFirstParameterPort; p < brume_lv2::kParameterPortEnd; ++p) {
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

// As a host loads a preset: lilv reads it into a state and hands each port
// its value with the atom type the literal gave it.
struct PresetPorts {
  LV2_URID floatType, doubleType;
  float values[kParameterCount];
  int received = 0;
  std::string integers;  // symbols whose value was not a decimal
};

void ReceivePortValue(const char* symbol, void* data, const void* value, uint32_t, uint32_t type) {
  auto& ports = *static_cast<PresetPorts*>(data);
  for (int i = 0; i < kParameterCount; ++i) {
    if (std::strcmp(symbol, kParameterIdentifiers[i] + 1) != 0) continue;
    if (type == ports.floatType) ports.values[i] = *static_cast<const float*>(value);
    else if (type == ports.doubleType) ports.values[i] = static_cast<float>(*static_cast<const double*>(value));
    else ports.integers += std::string(" ") + symbol;
    ++ports.received;
  }
}

TEST_F(Bundle, EveryPresetGivesEveryPortTheProgramsValueAsAFloatFromADecimal) {
  UridMap urids;
  for (int n = 0; n < kFactoryPresetCount; ++n) {
    char uri[64];
    std::snprintf(uri, sizeof uri, "%s%02d", brume_lv2::kPresetUriPrefix, n + 1);
    LilvNode* node = lilv_new_uri(world_, uri);
    lilv_world_load_resource(world_, node);  // its rdfs:seeAlso, presets.ttl
    LilvState* state = lilv_state_new_from_world(world_, urids.Map(), node);
    lilv_node_free(node);
    ASSERT_NE(state, nullptr) << uri;
    PresetPorts ports{urids.Id(LV2_ATOM__Float), urids.Id(LV2_ATOM__Double), {}, 0, ""};
    lilv_state_emit_port_values(state, &ReceivePortValue, &ports);
    lilv_state_free(state);
    EXPECT_EQ(ports.received, kParameterCount) << uri;
    EXPECT_EQ(ports.integers, "") << uri;
    double program[kParameterCount];
    FactoryPresetValues(n, program);
    for (int i = 0; i < kParameterCount; ++i)
      EXPECT_EQ(ports.values[i], static_cast<float>(program[i])) << uri << " " << kParameterIdentifiers[i] + 1;
  }
}

// Hosts show a control's unit as the VST plug-in labels it: LV2's unit, or
// one of ours rendered with the label itself.
TEST_F(Bundle, EveryControlWithAUnitLabelHasAUnit) {
  LilvNode* unitKey = lilv_new_uri(world_, LV2_UNITS__unit);
  LilvNode* symbolKey = lilv_new_uri(world_, LV2_UNITS__symbol);
  LilvNode* renderKey = lilv_new_uri(world_, LV2_UNITS__render);
  for (int i = 0; i < kParameterCount; ++i) {
    const std::string label = ParameterDefinitionAt(i).label;
    const LilvPort* port = lilv_plugin_get_port_by_index(plugin_, brume_lv2::PortOfParameter(i));
    LilvNodes* units = lilv_port_get_value(plugin_, port, unitKey);
    const LilvNode* unit = units ? lilv_nodes_get_first(units) : nullptr;
    EXPECT_EQ(unit != nullptr, label.find_first_not_of(' ') != std::string::npos) << kParameterIdentifiers[i];
    const std::string uri = unit ? lilv_node_as_uri(unit) : "";
    if (unit && uri.rfind(LV2_UNITS_PREFIX, 0) != 0) {
      LilvNode* symbol = lilv_world_get(world_, unit, symbolKey, nullptr);
      LilvNode* render = lilv_world_get(world_, unit, renderKey, nullptr);
      ASSERT_TRUE(symbol && render) << uri;
      EXPECT_EQ(lilv_node_as_string(symbol), label);
      EXPECT_EQ(lilv_node_as_string(render), "%f " + label);
      lilv_node_free(symbol), lilv_node_free(render);
    }
    lilv_nodes_free(units);
  }
  lilv_node_free(unitKey), lilv_node_free(symbolKey), lilv_node_free(renderKey);
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
