#!/bin/sh
# Stands in for a web browser in the test prefix: records what it was asked to open.
echo "$1" >>/tmp/zarp-browser.log
