# Shared Wine settings for the test tiers. Source it; it sets WINEPREFIX from $1 or keeps the
# caller's.
export WINEDEBUG=-all
# The product is a 32-bit exe and only the 32-bit Wine loader is installed (wine32:i386): a win64
# prefix cannot be created here, and Wine refuses to reuse a 32-bit one under WINEARCH=win64.
export WINEARCH=win32
# No Mono or Gecko installer prompts when a prefix is created.
export WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY
