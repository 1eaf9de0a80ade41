# The two commands of the README: `make demo` and `make test`. Both install what is missing,
# build the native and both Windows presets, and lay out the distribution folders and the
# release archives (`make release` does only that much).
.PHONY: all deps build release demo test clean

all: build

deps:
	@scripts/install-deps.sh

build: deps
	@scripts/build.sh

release: build

demo: build
	@scripts/demo.sh

test: build
	@scripts/run-tests.sh

clean:
	rm -rf build
