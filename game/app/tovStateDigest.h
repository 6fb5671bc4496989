#pragma once
// The game's state as text, one "name value" pair a line, for the headless harness's digest:
// what a scenario checks (the screen, the session, the clock, the profile, the lake) without
// depending on how it was drawn. Equal runs give equal text.

#include <string>

class tovApp;

std::string MakeStateDigest(const tovApp& app);
