// The scene lengths from data/*.conf, read by each scene's own parameter
// reading.
#include "scene_lengths.h"

#include "data/config_reader.h"
#include "scenes/blobby.h"
#include "scenes/greets.h"
#include "scenes/lattice.h"
#include "scenes/particles.h"
#include "scenes/raycast.h"
#include "scenes/starwarp.h"

namespace {

// A scene's parameters from `file`, with the scene's defaults when it cannot
// be read. Opened without config_open, whose message about a missing file
// belongs to the scene that needs it.
template <typename Parameters>
Parameters read_quietly(const char* file, Parameters (*read)(ConfigReader&)) {
  ConfigReader reader;
  reader.stream.open(file);
  return read(reader);
}

}  // namespace

std::vector<SceneLength> committed_scene_lengths() {
  const RaycastParameters raycast = read_quietly(raycast_parameter_file, raycast_read_parameters);
  const LatticeParameters lattice = read_quietly(lattice_parameter_file, lattice_read_parameters);
  const StarwarpParameters starwarp = read_quietly(starwarp_parameter_file, starwarp_read_parameters);
  const ParticlesParameters particles = read_quietly(particles_parameter_file, particles_read_parameters);
  const BlobbyParameters blobby = read_quietly(blobby_parameter_file, blobby_read_parameters);
  const GreetsParameters greets = read_quietly(greets_parameter_file, greets_read_parameters);
  return {
      {"raycast", raycast.duration, 1},
      {"lattice", static_cast<double>(lattice.transition) + lattice.duration, 2},
      {"starwarp", starwarp.warp_duration + starwarp.spin_duration, 2},
      {"particles", particles.phase1_length + particles.phase2_length, 2},
      {"blobby", blobby.duration, 1},
      {"greets",
       greets.flight + greets.picture_fade_in + greets.ripple + greets.fade_out + greets.words_fade_in +
           greets.words_hold,
       6},
  };
}
