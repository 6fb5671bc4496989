#pragma once
// The game's state as text, one "name value" pair a line, for the headless harness's digest:
// what a scenario checks (the screen, the session, the clock, the profile, the lake) without
// depending on how it was drawn. Equal runs give equal text.

#include <string>

class tovApp;

std::string MakeStateDigest(const tovApp& app);

// Whether the digest holds the line; a line ending in '*' stands for any line that begins with
// what comes before it (a catch heard from another player, whatever the fish).
bool DigestHasLine(const std::string& digest, const std::string& line);
