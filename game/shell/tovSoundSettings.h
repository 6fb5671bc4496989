#pragma once
// The program's two sound levels (1: the menus' music channels, 2: effects and the lake's
// ambient channels), the ambient channel groups the screens switch on and off, effect sounds
// by id and the program's cursor. Levels run from 0 to 1; each keeps its attenuation in
// hundredths of a decibel (level x 2500 - 2500), copies itself into the profile and sets the
// user volume of its ambient channels. Main thread only.

#include <cstdint>

class ResourcePack;
class qrxAmbientSound;

// Change the level by steps / 15 and clamp it to [0, 1].
void StepSoundVolume1(int32_t steps);
void StepSoundVolume2(int32_t steps);
// Set the level to the value clamped to [0, 1]; answer the level.
float SetSoundVolume1(float value);
float SetSoundVolume2(float value);
float GetSoundVolume1();
float GetSoundVolume2();
int32_t GetSoundAttenuation1();
// The attenuation effect sounds and button clicks play with.
int32_t GetSoundAttenuation2();

// Plays sound id of the main pack at level 2 while the profile's effect sounds are on.
void PlayEffectSound(uint32_t id);
// The same from another pack (a lake's file); nothing for a null pack.
void PlayEffectSoundFrom(ResourcePack* pack, uint32_t id);

// The shared channels start-up fills from the ambient folder: 1 the menu music, 0 the fight's
// music, 12 the weigh-in's opening sound; each enabled and not allowed.
void AddSharedSoundChannels(qrxAmbientSound& ambient);

// Ambient channel groups of the shared ambient sound (nothing while there is none).
void EnableSoundGroups1And7();
void DisableMenuSoundGroups();
void EnableLakeSoundGroups();
void DisableLakeSoundGroups();

void ShowAppCursor(bool show);
