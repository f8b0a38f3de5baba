// The largest 4:3 area of an output and the whole-multiple enlargement in it.
#include "shell/platform/picture_fit.h"

#include <algorithm>

PictureFit fit_picture(int picture_width, int picture_height, int output_width, int output_height) {
  PictureFit fit;
  if (output_width < 1 || output_height < 1) return fit;
  const long long ow = output_width, oh = output_height, pw = picture_width, ph = picture_height;
  if (ow * ph <= oh * pw) {
    fit.width = output_width;  // bars above and below
    fit.height = static_cast<int>(ow * ph / pw);
  } else {
    fit.height = output_height;  // bars left and right
    fit.width = static_cast<int>(oh * pw / ph);
  }
  fit.x = (output_width - fit.width) / 2;
  fit.y = (output_height - fit.height) / 2;
  fit.whole_multiple = std::min(fit.width / picture_width, fit.height / picture_height);
  fit.smooth_rest =
      fit.width != fit.whole_multiple * picture_width || fit.height != fit.whole_multiple * picture_height;
  return fit;
}
