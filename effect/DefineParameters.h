#pragma once

class IEffectBase;

// Defines all 106 parameters on the plug-in's parameter objects from the
// parameter table. Called once from the effect's constructor, before the
// engine is built (the engine reads some of the ranges).
void DefineParameters(IEffectBase& effect);
