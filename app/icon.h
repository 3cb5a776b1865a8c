#pragma once

#include <QIcon>
#include <QPixmap>

// Plumewright's own picture: a puff of smoke rising from a spark.
QPixmap plumePixmap(int size);
QIcon plumeIcon();
