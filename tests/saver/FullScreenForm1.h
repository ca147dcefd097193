#pragma once

#include "saver/Form1.h"
#include "saver/FullScreenPresentation.h"

#include <memory>
#include <utility>

// Form1 over the full screen, as the program shows it when it draws into no other window.
class FullScreenForm1 : public Form1
{
public:
    explicit FullScreenForm1(EndAction endProgram)
        : Form1(std::move(endProgram), std::make_unique<FullScreenPresentation>())
    {}
};
