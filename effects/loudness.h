#pragma once
// How loud the song is now, as every sound-driven effect measures it: the
// spectrum's bins 0 to 510 added in order in single precision (bin 511 is
// left out), divided by 5. A beat is an energy strictly above a threshold.

// Sum of bins 0..510 of the current spectrum.
float spectrumSum();

// spectrumSum() / 5.
float spectrumEnergy();
