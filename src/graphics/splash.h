#pragma once

struct splash_arguments {
    int tex;
    float w;
    float h;
    float* col1;
    float* col2;
    float in;
    float duration;
    float out;
};

// Fades the picture in, holds it and fades it out; 0 when done or skipped, -1 when the window closed.
int draw_splash(void* arguments);
