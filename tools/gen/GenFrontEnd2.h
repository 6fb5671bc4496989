#pragma once
// The pictures of the options, sponsor, career record, help and lake information screens in
// the main pack, and the sponsors' local web pages.

#include "PackWriter.h"

namespace gen
{

class Context;

// After the shell's own pictures: some of its buttons are listed in these screens' groups too.
void AddFrontEndPictures2(tools::PackContents& pack);
void GenerateSponsorPages(Context& context);
// The tackle box's pages, buttons, lure pictures and lure data records.
void AddTackleBoxPictures(tools::PackContents& pack);

} // namespace gen
