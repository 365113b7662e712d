// Keeps the support library non-empty; the helpers are header-only.
