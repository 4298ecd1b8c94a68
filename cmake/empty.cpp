// Placeholder so an object library with no sources yet still builds.
