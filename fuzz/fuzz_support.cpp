// Nothing shared yet; each target is self-contained.
