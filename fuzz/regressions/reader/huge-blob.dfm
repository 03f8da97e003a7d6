TPF0TSampleSinkSinkData
ÿÿÿabc