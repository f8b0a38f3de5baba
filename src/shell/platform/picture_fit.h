// Where the 640 x 480 picture goes in a window or screen of any size, and how
// it is scaled: the largest 4:3 area, centred, with bars beside it. The
// picture is first enlarged nearest-neighbour by the largest whole multiple
// that fits, so pixels stay crisp and nothing shimmers; only the remaining
// fraction (or a shrink, when the area is smaller than the picture) is
// smoothed.
#pragma once

struct PictureFit {
  // The 4:3 area, in output pixels from the top-left.
  int x = 0, y = 0, width = 0, height = 0;
  // Nearest-neighbour enlargement 1, 2, 3, ...; 0 when the area is smaller
  // than the picture and only a smooth shrink remains.
  int whole_multiple = 0;
  // True when the whole multiple does not fill the area exactly.
  bool smooth_rest = false;
};

// The fit of a picture_width x picture_height picture (4:3) into an
// output_width x output_height output; sizes below 1 give an empty area.
PictureFit fit_picture(int picture_width, int picture_height, int output_width, int output_height);
