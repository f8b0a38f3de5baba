"""The demo's timing, in scene-time units (6.25 to the second, so 50 units
are 8 seconds): the length of every phase of every scene and the moments
inside them. The parameter files, the key-frame paths and the checks all
read them from here. Each scene lasts a whole number of 50 units, so the
music can change with the scenes."""

UNITS_PER_SECOND = 6.25
MUSIC_BAR = 50

SCENES = {
    # After a 1.6-second lead-in the picture fades over the rest of the scene
    # while the streaks shorten. The title's letters part once the decay nears
    # 8 (32-pixel streaks, shorter than the gaps in the letters), which 50
    # units reach after 4.8 seconds: a burst of about 3 seconds, then the
    # title reads. At 100 units it stayed a solid band for 9 of 16 seconds.
    "raycast": {"duration": 50.0},
    "lattice": {
        "transition": 50,
        "duration": 200,
        # Blur passes a portrait gains as it dissolves: within 10 units of its
        # moment it has one; its bold letters still read with three or four.
        "portrait_window": 8,
        # (top screen row, moment in main-part time) of each portrait
        "portraits": [(60, 30), (316, 75), (150, 120), (352, 165)],
    },
    "starwarp": {"warp_duration": 125.0, "spin_duration": 125.0},
    "particles": {
        "phase1_length": 125.0,
        "phase2_length": 125.0,
        # live/frozen toggles; the fifth also stops the first phase's simulation
        "freeze_times": [18.0, 40.0, 62.0, 86.0, 108.0],
    },
    "blobby": {"duration": 200.0},
    # The greetings come in after a short flight and ripple for most of the
    # scene; the fades on either side of the black between the ripple and the
    # closing words are short, so the screen is never dark for long.
    "greets": {
        "flight_length": 15.0,
        "picture_fade_in_length": 30.0,
        "ripple_length": 120.0,
        "fade_out_length": 15.0,
        "words_fade_in_length": 15.0,
        "words_hold_length": 55.0,
    },
}

# The scene lengths agreed with the music.
SCENE_TOTALS = {"raycast": 50, "lattice": 250, "starwarp": 250, "particles": 250, "blobby": 200, "greets": 250}


def greets_flight_time():
    """Scene time over which the greets camera flies: phases 1 to 4."""
    scene = SCENES["greets"]
    return scene["flight_length"] + scene["picture_fade_in_length"] + scene["ripple_length"] + scene["fade_out_length"]


def particles_simulated_time():
    """Scene time during which the particles figure moves: the first phase
    up to its last freeze, then the whole second phase."""
    scene = SCENES["particles"]
    return scene["freeze_times"][4] + scene["phase2_length"]
