// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/monitors.h"

#include <algorithm>
#include <cmath>

double RoundScale(double wanted) {
  if (!(wanted == wanted)) return kMinScale;  // NaN
  double rounded = std::round(wanted / kScaleStep) * kScaleStep;
  return std::clamp(rounded, kMinScale, kMaxScale);
}
