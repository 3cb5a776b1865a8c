#include "effectlibrary.h"

#include <array>

namespace preview {
namespace {

struct BuiltInRow {
    const char *name;
    const char *description;
    // Text1 .. Text27: shape, animation, type, timer, life, position, velocity, rotation, weight,
    // volume, rubbing, size, colours, animation phase, random direction, scripts, object.
    std::array<const char *, 27> texts;
};

// The effects that come with the program, made and tuned in the preview. Shapes are the game's
// own standard particle textures; every value is a plain number or a random draw the preview
// reads, and the colours are written inline.
constexpr BuiltInRow kBuiltIns[] = {
    {"Smoke column",
     "A thin column of grey smoke rising slowly, as from a chimney or a smouldering fire",
     {"cl_basic", "", "Billboard", "0", "10", "0", "0", "0.3", "0", "0", "1", "0", "1.25", "1", "0.3",
      "0.2", "1", "2.2", "[0.5,0.5,0.5,0.6],[0.7,0.7,0.7,0.3],[0.8,0.8,0.8,0]", "0", "0", "0", "0.4", "0.12",
      "", "", "player"}},
    {"Burning vehicle smoke",
     "Thick black smoke billowing high from a burning wreck",
     {"cl_basic", "", "Billboard", "0", "12", "0", "0", "1", "0", "0", "2", "0", "1.2", "1", "0.2", "1",
      "4", "8", "[0.05,0.05,0.05,0.9],[0.1,0.1,0.1,0.7],[0.2,0.2,0.2,0]", "0", "0", "0", "0.5", "0.5", "", "",
      "player"}},
    {"Campfire flames",
     "Small orange flames flickering up from a campfire",
     {"cl_fire", "", "Billboard", "0", "0.8", "-0.15+random 0.3", "-0.15+random 0.3", "0.05", "0", "0", "0.3", "0",
      "1", "1", "1", "0.35", "0.25", "0.05", "[1,0.9,0.4,0.9],[1,0.5,0.1,0.7],[0.7,0.15,0,0]", "0", "0", "0",
      "0.05", "0.3", "", "",
      "player"}},
    {"Fountain of sparks",
     "Bright sparks thrown up and falling back in arcs",
     {"cl_fire", "", "Billboard", "0", "1.4", "0", "0", "0", "-1.5+random 3", "-1.5+random 3", "6+random 2", "0",
      "5", "0.01", "0.2", "0.15", "0.12", "0.08", "[1,0.9,0.5,1],[1,0.6,0.2,0.8],[1,0.3,0,0]", "0", "0", "0",
      "0", "0", "", "", "player"}},
    {"Vehicle dust",
     "A brown cloud of dust thrown up behind a vehicle driving on a dirt road",
     {"cl_basic", "", "Billboard", "0", "5", "0", "-2", "0.3", "0", "-3", "0.8", "0", "1.28", "1", "0.4", "0.6",
      "2.5", "4.5", "[0.6,0.5,0.35,0.5],[0.65,0.55,0.4,0.3],[0.7,0.6,0.45,0]", "0", "0", "0", "0.3", "0.4", "", "",
      "player"}},
    {"Ground mist",
     "Pale mist drifting slowly just above the ground",
     {"cl_basic", "", "Billboard", "0", "15", "-4+random 8", "-4+random 8", "0.2", "0.2", "0", "0", "0",
      "1.275", "1", "0.5", "2", "4", "6", "[0.85,0.85,0.9,0],[0.85,0.85,0.9,0.25],[0.85,0.85,0.9,0]", "0", "0",
      "0", "1", "0.1", "", "", "player"}},
    {"Falling rain",
     "Rain drops falling from ten metres to the ground over an area of ten by ten metres",
     {"cl_water", "", "Billboard", "0", "0.95", "-5+random 10", "-5+random 10", "10", "0", "0", "-8", "0", "10",
      "0.001", "0.8", "0.12", "0.12", "0.12", "[0.8,0.85,0.95,0.9],[0.8,0.85,0.95,0.9]", "0", "0", "0", "0", "0",
      "", "", "player"}},
    {"Explosion debris",
     "Dark fragments flung out in all directions and falling back",
     {"cl_basic", "", "Billboard", "0", "1.8", "0", "0", "0.5", "-6+random 12", "-6+random 12", "7+random 5", "0",
      "20", "0.01", "0.05", "0.4", "0.4", "0.4", "[0.15,0.12,0.1,1],[0.15,0.12,0.1,1],[0.15,0.12,0.1,0]", "0",
      "0", "0", "0", "0", "", "", "player"}},
};

} // namespace

const QList<Effect> &builtInEffects()
{
    static const QList<Effect> effects = [] {
        QList<Effect> list;
        for (const BuiltInRow &row : kBuiltIns) {
            Effect effect;
            effect.name = QString::fromUtf8(row.name);
            effect.description = QString::fromUtf8(row.description);
            for (const char *text : row.texts)
                effect.fields.texts << QString::fromUtf8(text);
            effect.builtIn = true;
            list << effect;
        }
        return list;
    }();
    return effects;
}

} // namespace preview
