// The mapping from the artist's squared roughness to the microfacet α of the
// Beckmann and TRGGX reflect models.
#pragma once

// A quartic fit in ln r, so that glossiness reads alike in the preview and the
// renderer. It is not monotonic: its minimum, about 0.00934, lies near
// r = 0.000155, below which α rises again to about 0.0134 at r = 0.0001.
float AlphaFromRoughness(float r);
