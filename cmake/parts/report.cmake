# Targets and tests of this part are added here.
