#include "source.h"

namespace effect {

SourceRandom::SourceRandom()
{
    texts.fill(QStringLiteral("0"));
}

SourceCircle::SourceCircle()
{
    texts.fill(QStringLiteral("0"));
}

} // namespace effect
