#include "saver_cycle/PhotoLikePicture.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// A well-mixed 32-bit hash (the finaliser of MurmurHash3): lattice values and grain that
// depend on nothing but the coordinates and the seed.
quint32 mix(quint32 value)
{
    value ^= value >> 16;
    value *= 0x85ebca6bU;
    value ^= value >> 13;
    value *= 0xc2b2ae35U;
    value ^= value >> 16;
    return value;
}

float latticeValue(int x, int y, quint32 seed)
{
    const quint32 hash = mix(quint32(x) * 0x9e3779b1U ^ mix(quint32(y) * 0x7feb352dU ^ seed));
    return float(hash >> 8) / float(1 << 24) - 0.5f; // -0.5 .. 0.5
}

float smooth(float t)
{
    return t * t * (3 - 2 * t);
}

float blend(float from, float to, float t)
{
    return from + t * (to - from);
}

// One scale of value noise (lattice values every cell pixels, blended smoothly in between),
// worked out a whole row at a time: per pixel, hashing would cost far more than the blend.
class NoiseRow
{
public:
    NoiseRow(int width, int cell, quint32 seed)
        : m_cell(cell), m_seed(seed), m_weights(std::size_t(cell)), m_values(std::size_t(width))
    {
        for (int i = 0; i < cell; ++i)
            m_weights[std::size_t(i)] = smooth(float(i) / float(cell));
    }

    void moveTo(int y)
    {
        const int cellY = y / m_cell;
        const float ty = smooth(float(y % m_cell) / float(m_cell));
        const int width = int(m_values.size());
        float left = blend(latticeValue(0, cellY, m_seed), latticeValue(0, cellY + 1, m_seed), ty);
        for (int cellX = 0; cellX * m_cell < width; ++cellX) {
            const float right =
                blend(latticeValue(cellX + 1, cellY, m_seed), latticeValue(cellX + 1, cellY + 1, m_seed), ty);
            const int end = std::min(width, (cellX + 1) * m_cell);
            for (int x = cellX * m_cell; x < end; ++x)
                m_values[std::size_t(x)] = blend(left, right, m_weights[std::size_t(x - cellX * m_cell)]);
            left = right;
        }
    }

    float at(int x) const { return m_values[std::size_t(x)]; }

private:
    int m_cell;
    quint32 m_seed;
    std::vector<float> m_weights; // the blend's weight at each offset into a cell
    std::vector<float> m_values;
};

int channel(float value)
{
    return int(std::clamp(value, 0.0f, 255.0f) + 0.5f);
}

// How strong each scale of texture is, in grey levels from trough to crest. Tuned so that a
// 24-megapixel picture makes a JPEG of 6 to 7 MB at quality 90.
constexpr float kShapeStrength = 70;
constexpr float kTextureStrength = 34;
constexpr float kDetailStrength = 22;
constexpr float kGrainStrength = 17;

} // namespace

QImage makePhotoLikePicture(QSize size, quint32 seed)
{
    QImage picture(size, QImage::Format_RGB32);
    const int shapeCell = std::max(8, std::min(size.width(), size.height()) / 5);
    NoiseRow shapes(size.width(), shapeCell, seed);
    NoiseRow tint(size.width(), std::max(4, shapeCell / 2), seed + 1);
    NoiseRow texture(size.width(), 17, seed + 2);
    NoiseRow detail(size.width(), 3, seed + 3);
    NoiseRow horizon(size.width(), std::max(4, shapeCell / 3), seed + 4);
    horizon.moveTo(0);
    // Each seed has its own light: warmer or colder sky and ground.
    const float warmth = float(mix(seed) % 60) - 30;
    for (int y = 0; y < size.height(); ++y) {
        for (NoiseRow *row : {&shapes, &tint, &texture, &detail})
            row->moveTo(y);
        auto *line = reinterpret_cast<QRgb *>(picture.scanLine(y));
        const float down = float(y) / float(std::max(1, size.height() - 1));
        for (int x = 0; x < size.width(); ++x) {
            const float across = float(x) / float(std::max(1, size.width() - 1));
            // A hard edge, as a horizon or an object's outline gives a photo.
            const bool ground = down > 0.6f + 0.3f * horizon.at(x);
            const float light = (ground ? 95 : 160 - 60 * down) + 25 * across + kShapeStrength * shapes.at(x)
                + kTextureStrength * texture.at(x) + kDetailStrength * detail.at(x)
                + kGrainStrength * latticeValue(x, y, seed + 5);
            const float hue = 0.4f * kShapeStrength * tint.at(x) + (ground ? -warmth : warmth);
            line[x] = qRgb(channel(light + hue), channel(light * 0.95f + 0.3f * hue),
                           channel(light * (ground ? 0.7f : 1.15f) - hue));
        }
    }
    return picture;
}
