#pragma once

#include <QString>

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

// What a standard shape looks like, for the preview's stand-in pictures; a disc where it is not
// known.
enum class Look { Disc, Smoke, Flame, Fireball, Spark, Dust, Debris, Glow, Shimmer, Drop, Blood };

// The standard sheets: the Universal sheet of 16 × 16 cells, the 8 × 8 smoke sheets
// (Universal_02, SmokeAnim), or a shape of one picture.
enum class StandardSheet { None, Universal, Smoke8, Single };

struct StandardShape {
    StandardSheet sheet = StandardSheet::None;
    Look look = Look::Disc; // of the whole picture; a Universal cell's own look is universalCellLook's
    bool operator==(const StandardShape &) const = default;
};

// A shape's file as the game names it, whatever way it is written: its last part, in lower case,
// without ".p3d" ("\A3\data_f\ParticleEffects\Universal\Universal.p3d" and "universal" alike).
QString shapeKey(const QString &file);

// The standard shape a file names, by its key: the Universal and smoke sheets, the old game's
// shapes (cl_basic smoke, cl_fire flame, cl_exp and blesk1 sparks, koulesvetlo glow, cl_water
// drops), Refract's shimmer, the debris models. Another file is no standard shape.
StandardShape standardShape(const QString &file);

// What a cell of the Universal sheet holds, as vanilla's classes name its runs (inferred): the
// fireball, smoke, flame, small puffs, dust, clods, streaks, blood, glows, water and bubbles.
Look universalCellLook(int cell);

} // namespace effect
