#pragma once
class IControl;
class IParameter;

// Applies a value typed for a control: for a boolean or enumeration the
// index of the matching value text (0 when none matches), otherwise the
// text read as a decimal number (0 when it is none), normalised through the
// parameter. Without a parameter the control receives the text itself.
void ApplyTypedValue(IControl& control, const IParameter* parameter, const char* text);
