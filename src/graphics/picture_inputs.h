#pragma once

#include <vector>

class CParticle;

// A kept picture is redrawn when anything it was drawn from changes: its inputs are written down as a list
// of numbers and compared with the list of the frame that drew it.
void append_inputs(std::vector<float>& inputs, const float* values, int count);
// A body's place, turn, age, picture, blend, animation, tint and shape.
void append_body_inputs(std::vector<float>& inputs, const CParticle& body);
