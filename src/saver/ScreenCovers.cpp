#include "saver/ScreenCovers.h"

#include "saver/CoverWindow.h"

#include <algorithm>

struct ScreenCovers::Cover
{
    Screen screen;
    std::unique_ptr<CoverWindow> window;
};

ScreenCovers::ScreenCovers(QObject *parent) : QObject(parent)
{
    connect(&m_changes, &ScreenChanges::added, this, &ScreenCovers::follow);
    connect(&m_changes, &ScreenChanges::primaryChanged, this, &ScreenCovers::follow);
    connect(&m_changes, &ScreenChanges::removed, this, &ScreenCovers::forget);
}

ScreenCovers::~ScreenCovers() = default;

void ScreenCovers::show()
{
    m_shown = true;
    follow();
}

void ScreenCovers::close()
{
    m_shown = false;
    m_covers.clear();
}

void ScreenCovers::follow()
{
    if (!m_shown)
        return;
    // The primary shows the saver window itself, so a screen that became primary loses its cover.
    std::erase_if(m_covers, [](const Cover &cover) { return !cover.screen.exists() || cover.screen.isPrimary(); });
    for (const Screen &screen : Screen::all()) {
        const bool covered = std::any_of(m_covers.begin(), m_covers.end(),
                                         [&screen](const Cover &cover) { return cover.screen == screen; });
        if (!screen.isPrimary() && !covered)
            cover(screen);
    }
}

void ScreenCovers::forget(const Screen &screen)
{
    std::erase_if(m_covers, [&screen](const Cover &cover) { return cover.screen == screen; });
}

void ScreenCovers::cover(const Screen &screen)
{
    auto window = std::make_unique<CoverWindow>();
    connect(window.get(), &CoverWindow::KeyDown, this, &ScreenCovers::KeyDown);
    connect(window.get(), &CoverWindow::MouseDown, this, &ScreenCovers::MouseDown);
    connect(window.get(), &CoverWindow::MouseMove, this, &ScreenCovers::MouseMove);
    screen.coverWith(*window);
    window->show();
    m_covers.push_back({screen, std::move(window)});
}
