#!/bin/sh
# Stands in for the web browser during the e2e tests: Wine's winebrowser
# runs it with the address, which is appended to the log file named first.
printf '%s\n' "$2" >> "$1"
