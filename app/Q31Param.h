// The application parameters dialog: language, sound, input buttons, second display.
#pragma once

bool Q31ParamIhm(int parentPanel);
