// Trigger codes: the byte by which the unit names the source that switches an
// output, a flash function, a wiper input, a sequence or a button list, and
// the maps between a code and its position in the trigger-source lists.
//
// The full list (79 entries) is "DISABLED", "+30", the 11 inputs, CAN inputs
// 1..32, virtual inputs 1..20, "Wiper Slow", "Wiper Fast" and the sequence
// steps 1.A..4.C; the short list is its first 65 entries. List position and
// code correspond one to one: 0 is code 0, 1 is code 255, 2..12 the inputs in
// input order, and position code + 12 for codes 1..66.
//
// An empty selection (index -1) always reads as code 0, never as 255 ("+30"
// would switch the output on for good).
//
// Pure functions; any thread.
#pragma once

#include <array>
#include <cstdint>

using TriggerCode = std::uint8_t;

inline constexpr TriggerCode TriggerNone = 0;
inline constexpr TriggerCode TriggerPlus30 = 255;
inline constexpr TriggerCode TriggerFirstCanInput = 1;
inline constexpr TriggerCode TriggerFirstVirtualInput = 33;
inline constexpr TriggerCode TriggerWiperSlow = 53;
inline constexpr TriggerCode TriggerWiperFast = 54;
inline constexpr TriggerCode TriggerFirstSequenceStep = 55;
inline constexpr TriggerCode TriggerLastSequenceStep = 66;

// Codes of the digital inputs 1..11, in input order (not ascending).
inline constexpr std::array<TriggerCode, 11> InputTriggerCodes = {
    0xC0, 0xC1, 0xC2, 0xD1, 0xC4, 0xC5, 0xC6, 0xC7, 0xC3, 0xD2, 0xD3};

inline constexpr int FullTriggerListCount = 79;
inline constexpr int ShortTriggerListCount = 65;

// Position of the code in the full list; 0 for code 0 and for unknown codes.
int TriggerCodeToListIndex(TriggerCode code);
// Position in the short list; 0 also for the wiper and sequence codes 53..66.
int TriggerCodeToShortListIndex(TriggerCode code);
// Code at a full-list position: -1 (no selection) gives 0, positions past
// the end give 255.
TriggerCode ListIndexToTriggerCode(int index);
// The same over the short list: positions past 64 give 255.
TriggerCode ShortListIndexToTriggerCode(int index);

// The input-pin choice that enables the CAN inputs ("CH 1".."CH 11"): entry k
// is input k + 1. No selection and unknown entries give input 1 (0xC0); an
// unknown code gives entry 0.
TriggerCode InputPinIndexToTriggerCode(int index);
int TriggerCodeToInputPinIndex(TriggerCode code);
