#pragma once

class IEffectBase;
class IParameterStore;

// Defines all 106 parameters on the plug-in's parameter objects from the
// parameter table. Called once from the effect's constructor, before the
// engine is built (the engine reads some of the ranges).
void DefineParameters(IEffectBase& effect);
// The same on a store of its own (a plug-in format other than VST, tools).
void DefineParameters(IParameterStore& parameters);
