#include "lv2/ttl/BrumeTtl.h"

#include <cstring>

#include "effect/FactoryPresets.h"
#include "effect/ParameterTable.h"
#include "lv2/BrumeLv2Ids.h"
#include "lv2/ttl/TtlText.h"

namespace {

const char kPrefixes[] =
    "@prefix atom:  <http://lv2plug.in/ns/ext/atom#> .\n"
    "@prefix doap:  <http://usefulinc.com/ns/doap#> .\n"
    "@prefix foaf:  <http://xmlns.com/foaf/0.1/> .\n"
    "@prefix lv2:   <http://lv2plug.in/ns/lv2core#> .\n"
    "@prefix midi:  <http://lv2plug.in/ns/ext/midi#> .\n"
    "@prefix opts:  <http://lv2plug.in/ns/ext/options#> .\n"
    "@prefix bufsz: <http://lv2plug.in/ns/ext/buf-size#> .\n"
    "@prefix pset:  <http://lv2plug.in/ns/ext/presets#> .\n"
    "@prefix rdf:   <http://www.w3.org/1999/02/22-rdf-syntax-ns#> .\n"
    "@prefix rdfs:  <http://www.w3.org/2000/01/rdf-schema#> .\n"
    "@prefix time:  <http://lv2plug.in/ns/ext/time#> .\n"
    "@prefix ui:    <http://lv2plug.in/ns/extensions/ui#> .\n"
    "@prefix units: <http://lv2plug.in/ns/extensions/units#> .\n"
    "@prefix urid:  <http://lv2plug.in/ns/ext/urid#> .\n\n";

std::string Uri(const char* uri) { return std::string("<") + uri + ">"; }

std::string PresetUri(int number) {
  const char digits[] = {char('0' + (number + 1) / 10), char('0' + (number + 1) % 10), 0};
  return Uri((std::string(brume_lv2::kPresetUriPrefix) + digits).c_str());
}

// The parameter's identifier without its leading 'k' (kGain -> Gain).
std::string Symbol(int index) { return kParameterIdentifiers[index] + 1; }

// Unit labels of the table, as LV2 units: its own where it has one, ours
// (defined in brume.ttl, rendered as the VST plug-in labels the value)
// where it has none. The blank of pans and fine factors gets none.
const struct {
  const char* label;
  const char* unit;
  const char* ownUnitName;  // null for LV2's units
} kUnits[] = {{"dB", "units:db", nullptr},      {"Hz", "units:hz", nullptr},
              {"ms", "units:ms", nullptr},      {"%", "units:pc", nullptr},
              {"\xB0", "units:degree", nullptr}, {"Bits", "<urn:orvendale:brume#bits>", "bits"}};

const char* UnitOf(const char* label) {
  for (const auto& row : kUnits)
    if (std::strcmp(row.label, label) == 0) return row.unit;
  return nullptr;
}

struct AudioPort {
  uint32_t index;
  const char* cls;
  const char* symbol;
  const char* name;
};
const AudioPort kAudioPorts[] = {
    {brume_lv2::kAudioInLeft, "lv2:InputPort", "InLeft", "In Left"},
    {brume_lv2::kAudioInRight, "lv2:InputPort", "InRight", "In Right"},
    {brume_lv2::kAudioOutLeft, "lv2:OutputPort", "OutLeft", "Out Left"},
    {brume_lv2::kAudioOutRight, "lv2:OutputPort", "OutRight", "Out Right"},
};

std::string ControlPort(int index) {
  const ParameterDefinition& row = ParameterDefinitionAt(index);
  const bool integral = row.kind != ParameterKind::Double;
  auto number = [integral](double v) { return integral ? TtlInteger(static_cast<long long>(v)) : TtlDecimal(v); };
  std::string t = "\t\ta lv2:InputPort , lv2:ControlPort ;\n";
  t += "\t\tlv2:index " + TtlInteger(brume_lv2::PortOfParameter(index)) + " ;\n";
  t += "\t\tlv2:symbol \"" + Symbol(index) + "\" ;\n";
  t += "\t\tlv2:name " + TtlString(row.name) + " ;\n";
  t += "\t\tlv2:default " + number(row.defaultValue) + " ;\n";
  t += "\t\tlv2:minimum " + number(row.minimum) + " ;\n";
  t += "\t\tlv2:maximum " + number(row.maximum);
  if (row.kind == ParameterKind::Bool) t += " ;\n\t\tlv2:portProperty lv2:integer , lv2:toggled";
  if (row.kind == ParameterKind::Enum) {
    t += " ;\n\t\tlv2:portProperty lv2:integer , lv2:enumeration ;\n\t\tlv2:scalePoint";
    for (int v = 0; v < row.valueTexts.count; ++v) {
      t += v ? " , [\n" : " [\n";
      t += "\t\t\trdfs:label " + TtlString(row.valueTexts.texts[v]) + " ;\n";
      t += "\t\t\trdf:value " + TtlInteger(v) + "\n\t\t]";
    }
  }
  if (const char* unit = row.kind == ParameterKind::Double ? UnitOf(row.label) : nullptr)
    t += std::string(" ;\n\t\tunits:unit ") + unit;
  return t + "\n";
}

}  // namespace

std::string ManifestTtl() {
  std::string t = kPrefixes;
  t += Uri(brume_lv2::kPluginUri) + "\n\ta lv2:Plugin ;\n\tlv2:binary " + Uri(brume_lv2::kDspBinary) +
       " ;\n\trdfs:seeAlso " + Uri(kPluginTtlFile) + " .\n\n";
  // The UI is driven by the host's idle calls (no thread of its own) and
  // embeds in the host's window, so it requires the idle interface and a
  // parent; size reports, gesture brackets and the host's display scale
  // are used when offered.
  t += Uri(brume_lv2::kUiUri) + "\n\ta ui:X11UI ;\n\tlv2:binary " + Uri(brume_lv2::kUiBinary) +
       " ;\n\tlv2:extensionData ui:idleInterface ;\n\tlv2:optionalFeature ui:resize , ui:touch , opts:options ;\n"
       "\tlv2:requiredFeature ui:idleInterface , ui:parent ;\n\topts:supportedOption ui:scaleFactor .\n";
  for (int n = 0; n < kFactoryPresetCount; ++n) {
    t += "\n" + PresetUri(n) + "\n\ta pset:Preset ;\n\tlv2:appliesTo " + Uri(brume_lv2::kPluginUri) +
         " ;\n\trdfs:label " + TtlString(FactoryPresetAt(n).name) + " ;\n\trdfs:seeAlso " +
         Uri(kPresetsTtlFile) + " .\n";
  }
  return t;
}

std::string PluginTtl() {
  std::string t = kPrefixes;
  t += Uri(brume_lv2::kPluginUri) +
       "\n\ta lv2:Plugin , lv2:DelayPlugin , doap:Project ;\n"
       "\tdoap:name \"Brume\" ;\n"
       "\tdoap:maintainer [\n\t\tfoaf:name \"Orvendale\"\n\t] ;\n"
       "\tlv2:minorVersion 0 ;\n\tlv2:microVersion 0 ;\n"
       "\tlv2:optionalFeature lv2:hardRTCapable , urid:map , opts:options ;\n"
       "\topts:supportedOption bufsz:maxBlockLength ;\n"
       "\tui:ui " + Uri(brume_lv2::kUiUri) + " ;\n\tlv2:port [\n";
  for (const AudioPort& port : kAudioPorts) {
    t += "\t\ta lv2:AudioPort , " + std::string(port.cls) + " ;\n\t\tlv2:index " + TtlInteger(port.index) +
         " ;\n\t\tlv2:symbol \"" + port.symbol + "\" ;\n\t\tlv2:name \"" + port.name + "\"\n\t] , [\n";
  }
  t += "\t\ta lv2:InputPort , atom:AtomPort ;\n\t\tatom:bufferType atom:Sequence ;\n"
       "\t\tatom:supports midi:MidiEvent , time:Position ;\n\t\tlv2:designation lv2:control ;\n"
       // Hosts without atom ports (lv2apply, ecasound) leave it unconnected.
       "\t\tlv2:portProperty lv2:connectionOptional ;\n"
       "\t\tlv2:index " + TtlInteger(brume_lv2::kControlIn) + " ;\n\t\tlv2:symbol \"Control\" ;\n"
       "\t\tlv2:name \"Control\"\n";
  for (int i = 0; i < kParameterCount; ++i) t += "\t] , [\n" + ControlPort(i);
  // The host's bypass switch: 1 processes, 0 passes the input through
  // (with a short crossfade both ways). After every other port, so that
  // sessions stored before it keep their port indexes.
  t += "\t] , [\n\t\ta lv2:InputPort , lv2:ControlPort ;\n\t\tlv2:index " + TtlInteger(brume_lv2::kEnabled) +
       " ;\n\t\tlv2:symbol \"enabled\" ;\n\t\tlv2:name \"Enabled\" ;\n\t\tlv2:designation lv2:enabled ;\n"
       "\t\tlv2:default 1 ;\n\t\tlv2:minimum 0 ;\n\t\tlv2:maximum 1 ;\n"
       "\t\tlv2:portProperty lv2:integer , lv2:toggled , lv2:connectionOptional\n";
  t += "\t] .\n";
  for (const auto& row : kUnits) {
    if (!row.ownUnitName) continue;
    t += std::string("\n") + row.unit + "\n\ta units:Unit ;\n\trdfs:label \"" + row.ownUnitName +
         "\" ;\n\tunits:render \"%f " + row.label + "\" ;\n\tunits:symbol \"" + row.label + "\" .\n";
  }
  return t;
}

std::string PresetsTtl() {
  std::string t = kPrefixes;
  for (int n = 0; n < kFactoryPresetCount; ++n) {
    double values[kParameterCount];
    FactoryPresetValues(n, values);
    t += (n ? "\n" : "") + PresetUri(n) + "\n\ta pset:Preset ;\n\tlv2:appliesTo " +
         Uri(brume_lv2::kPluginUri) + " ;\n\trdfs:label " + TtlString(FactoryPresetAt(n).name) +
         " ;\n\tlv2:port [\n";
    // Ports are floats: a preset is the program as floats hold it, every
    // value a decimal (enumerations and toggles too).
    for (int i = 0; i < kParameterCount; ++i) {
      t += i ? "\t] , [\n" : "";
      t += "\t\tlv2:symbol \"" + Symbol(i) + "\" ;\n\t\tpset:value " + TtlFloatDecimal(values[i]) + "\n";
    }
    t += "\t] .\n";
  }
  return t;
}
