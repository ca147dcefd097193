#pragma once

#include <QString>

// Something without which a figure cannot be measured (the saver did not start, djpeg is
// missing, the kernel's counts cannot be read): the bench stops with this reason and status 1,
// never with a made-up figure.
struct CannotMeasure
{
    QString reason;
};
