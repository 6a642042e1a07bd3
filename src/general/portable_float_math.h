#pragma once

// sinf, cosf, atanf and atan2f computed exactly as the desktop's C library (GNU libc 2.36 on x86-64)
// computes them on a processor with fused multiply-add, which it then chooses for sine and cosine: the
// same bits for every finite input (NaN payloads aside), on any target whose double arithmetic and fma
// are IEEE's. unit_portable_float_math compares them with the system's.
float portable_sinf(float x);
float portable_cosf(float x);
float portable_atanf(float x);
float portable_atan2f(float y, float x);
