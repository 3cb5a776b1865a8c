#pragma once

#include <vector>

// Which frame of a texture sheet a particle shows as it ages. The game documents the shape array
// and the speed, not how they combine: this is a model that fits every documented case, written
// down in frames.cpp.
namespace effect {

// A run of frames on a sheet of ntieth × ntieth cells: frameCount frames from the first cell of
// row `index`, running on across rows, played once or over and over.
struct SheetRun {
    int ntieth = 1;
    int index = 0;
    int frameCount = 1;
    bool loop = true;
    bool operator==(const SheetRun &) const = default;
};

// The run the shape array's numbers give, kept within its sheet: ntieth from 1 to 64, the row
// within the sheet, at least one frame and no more than the cells from the run's first on; any
// loop value but 0 loops. Numbers are taken whole, toward 0; one that is no number counts as the
// plain shape's (1, 0, 1, 1).
SheetRun sheetRun(double ntieth, double index, double frameCount, double loop);

// The later games' phase: the integral over the age of the speeds (cycles a second) given at
// evenly spaced times over the life, between them in a straight line; one speed holds throughout,
// none is 0. An age past the life counts as the life.
double animationPhase(const std::vector<double> &speeds, double lifeTime, double age);

// The run's frame at a phase: ⌊phase × frameCount⌋, wrapped round when the run loops, else held at
// the last; a phase below 0 shows the first.
int runFrame(const SheetRun &run, double phase);

// The sheet's cell of a frame of the run, counted row by row from the top left.
int sheetCell(const SheetRun &run, int frame);

// The old game's element 13: a phase at evenly spaced times over the life, taken in a straight line
// between them at age / lifeTime, and the frame ⌊phase × frames⌋ of the texture's frames, wrapped
// round once (a phase of 1 is the first frame again).
int oldGameFrame(const std::vector<double> &phases, double lifeTime, double age, int frames);

} // namespace effect
