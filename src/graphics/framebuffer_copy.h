#pragma once

// A rectangle of the framebuffer kept in a texture and put back texel for pixel, unblended, so that the
// pixels put back are exactly the pixels copied.
class CFramebufferCopy {
  public:
    CFramebufferCopy() = default;
    CFramebufferCopy(const CFramebufferCopy&) = delete;
    CFramebufferCopy& operator=(const CFramebufferCopy&) = delete;

    // Copies the window rectangle at (x, y); false when the card cannot hold it as a texture.
    bool take(int x, int y, int width, int height);
    // Copies one rectangle of the window over the same place of a copy taken at (0, 0), when the copy
    // reaches that far.
    void refresh(int x, int y, int width, int height);
    // Puts the copy back on the window rectangle at (x, y), whatever the matrices.
    void put_back(int x, int y, int width, int height) const;

  private:
    unsigned int texture = 0;
    int texture_width = 0;
    int texture_height = 0;
};

// Puts the lower-left width x height texels of a texture (texture_width x texture_height, with nearest
// filtering) on the window rectangle at (x, y), texel for pixel, unblended, whatever the matrices.
// Leaves the GL state as it found it, with no texture bound.
void put_texels(unsigned int texture, int texture_width, int texture_height, int x, int y, int width,
                int height);
