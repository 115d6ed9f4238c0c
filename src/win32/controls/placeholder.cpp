// Controls follow.
