#pragma once

void keyboard_callback(int key, int action);
void mouse_callback(int button, int action);
void character_callback(int character, int action);
