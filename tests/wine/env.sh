# Shared Wine settings for the test tiers. Source it; it sets WINEPREFIX from $1 or keeps the
# caller's.
export WINEDEBUG=-all
export WINEARCH=win64
# No Mono or Gecko installer prompts when a prefix is created.
export WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY
